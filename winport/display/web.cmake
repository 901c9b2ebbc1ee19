# winport_web_page(TARGET [PRE_JS FILE...]): builds TARGET as a page for the browser: TARGET.js and
# TARGET.wasm, and TARGET.html from web.html, all in WINPORT_WEB_DIR (default: the build directory's
# bin/). PRE_JS files (a program's own page parts) are loaded after web.js, before the program.
set(WINPORT_WEB_DIR "${CMAKE_BINARY_DIR}/bin" CACHE PATH "Where the web pages of the programs go")
# What every page is linked with: the program waits by pausing (Asyncify), main is started by web.js
# once the page is ready, and its return ends the runtime so the page learns the exit status. The
# installed web kit gives its users the same list (a cache entry, seen from every directory).
set(WINPORT_WEB_LINK_OPTIONS
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
  -sEXPORTED_FUNCTIONS=_main -sEXPORTED_RUNTIME_METHODS=ccall
  CACHE INTERNAL "The link options of a page")
function(winport_web_page target)
  cmake_parse_arguments(PAGE "" "" "PRE_JS" ${ARGN})
  set(WINPORT_WEB_SOURCE_DIR "${CMAKE_CURRENT_FUNCTION_LIST_DIR}")
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${WINPORT_WEB_DIR}")
  # SHELL: keeps each --pre-js with its file: CMake would otherwise merge repeated options.
  set(pre_js "SHELL:--pre-js ${WINPORT_WEB_SOURCE_DIR}/web.js")
  foreach(file ${PAGE_PRE_JS})
    list(APPEND pre_js "SHELL:--pre-js ${file}")
  endforeach()
  target_link_options(${target} PRIVATE ${WINPORT_WEB_LINK_OPTIONS} ${pre_js})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${WINPORT_WEB_SOURCE_DIR}/web.js" ${PAGE_PRE_JS})
  set(WEB_PROGRAM ${target})
  configure_file("${WINPORT_WEB_SOURCE_DIR}/web.html" "${WINPORT_WEB_DIR}/${target}.html" @ONLY)
endfunction()
