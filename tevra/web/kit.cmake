# The web kit: what a TEVRA program outside this project needs to become a web page. The browser
# build installs it under <prefix>/share/tevra/web (`make install` builds one in build/web-kit where
# emscripten is present, and the native install carries it):
#   libtevra.a                  the library for the browser: tevra, winport (web display and GDI),
#                               the image module and the page's canvas describer in one archive
#   include/tevra.h             its header, kept apart from /usr/include, which emcc must not see
#   web.html, web.js, page.js   the page: its template, winport's display half, TEVRA's controls
#   tevraWeb.cmake              tevra::tevra and tevra_add_web_page() for find_package(tevra) under
#                               emcmake (the native tevraConfig.cmake loads it)
# and the command <prefix>/bin/tevra-web, which builds a page from these files alone.
add_library(tevra_web_kit STATIC $<TARGET_OBJECTS:tevra> $<TARGET_OBJECTS:winport>
            $<TARGET_OBJECTS:winport_gdi> $<TARGET_OBJECTS:tevra_image> $<TARGET_OBJECTS:tevra_web_describer>)
set_target_properties(tevra_web_kit PROPERTIES OUTPUT_NAME tevra LINKER_LANGUAGE CXX
                      ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/web-kit)

# The kit's users link with the options this project's own pages use (WINPORT_WEB_LINK_OPTIONS), and
# take the page's describer from the archive, which nothing in the program itself calls.
string(JOIN " " TEVRA_WEB_LINK_FLAGS ${WINPORT_WEB_LINK_OPTIONS} -Wl,-u,tevra_page_describe -Wl,-u,tevra_page_log_space)
file(RELATIVE_PATH TEVRA_WEB_KIT_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${TEVRA_WEB_KITDIR})
configure_file(${PROJECT_SOURCE_DIR}/tools/tevra-web ${PROJECT_BINARY_DIR}/web-kit/tevra-web @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tevraWeb.cmake.in ${PROJECT_BINARY_DIR}/web-kit/tevraWeb.cmake @ONLY)

install(TARGETS tevra_web_kit ARCHIVE DESTINATION ${TEVRA_WEB_KITDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/tevra.h DESTINATION ${TEVRA_WEB_KITDIR}/include)
install(FILES ${PROJECT_SOURCE_DIR}/winport/display/web.html ${PROJECT_SOURCE_DIR}/winport/display/web.js
              ${CMAKE_CURRENT_LIST_DIR}/page.js ${PROJECT_BINARY_DIR}/web-kit/tevraWeb.cmake
        DESTINATION ${TEVRA_WEB_KITDIR})
install(PROGRAMS ${PROJECT_BINARY_DIR}/web-kit/tevra-web DESTINATION ${CMAKE_INSTALL_BINDIR})
