# tevra_web_page(TARGET): a TEVRA program's page: winport's page (winport_web_page) with TEVRA's
# parts added by page.js: ?script= and ?record=, the TEVRA.SCR controls, and the canvas described
# in words for screen readers (describe_page.cpp, with the checker's description).
function(tevra_web_page target)
  winport_web_page(${target} PRE_JS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/page.js")
  target_link_libraries(${target} PRIVATE tevra_web_describer)
endfunction()

# The checker's log reader and description, compiled once for every page. Its objects are linked
# whole (an object library), so the page's entry points stay in. nlohmann-json is header-only; its
# Debian headers are reached through a folder of their own, not the host's whole /usr/include.
if(EMSCRIPTEN AND NOT TARGET tevra_web_describer)
  find_path(TEVRA_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/json-include")
  file(CREATE_LINK "${TEVRA_JSON_DIR}/nlohmann" "${CMAKE_BINARY_DIR}/json-include/nlohmann" SYMBOLIC)
  set(check "${CMAKE_CURRENT_LIST_DIR}/../../tools/tevra_check")
  add_library(tevra_web_describer OBJECT "${CMAKE_CURRENT_LIST_DIR}/describe_page.cpp" "${check}/describe.cpp"
              "${check}/draw_log.cpp")
  target_include_directories(tevra_web_describer PRIVATE "${check}" "${CMAKE_BINARY_DIR}/json-include")
endif()
