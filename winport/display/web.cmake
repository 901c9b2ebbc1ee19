# winport_web_page(TARGET): builds TARGET as a page for the browser: TARGET.js and TARGET.wasm, and
# TARGET.html from web.html, all in WINPORT_WEB_DIR (default: the build directory's bin/).
set(WINPORT_WEB_DIR "${CMAKE_BINARY_DIR}/bin" CACHE PATH "Where the web pages of the programs go")
function(winport_web_page target)
  set(WINPORT_WEB_SOURCE_DIR "${CMAKE_CURRENT_FUNCTION_LIST_DIR}")
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${WINPORT_WEB_DIR}")
  target_link_options(${target} PRIVATE
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
    -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
    -sEXPORTED_FUNCTIONS=_main -sEXPORTED_RUNTIME_METHODS=ccall
    --pre-js "${WINPORT_WEB_SOURCE_DIR}/web.js")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${WINPORT_WEB_SOURCE_DIR}/web.js")
  set(WEB_PROGRAM ${target})
  configure_file("${WINPORT_WEB_SOURCE_DIR}/web.html" "${WINPORT_WEB_DIR}/${target}.html" @ONLY)
endfunction()
