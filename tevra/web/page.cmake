# tevra_web_page(TARGET [DESCRIPTION TEXT]): a TEVRA program's page: winport's page
# (winport_web_page) with TEVRA's parts added by page.js: ?script= and ?record=, the TEVRA.SCR
# controls, and the canvas described in words for screen readers (describe_page.cpp, with the
# checker's description). The page is listed in WINPORT_WEB_DIR/index.html, described by TEXT or else
# by its first source's heading ("name.c — what it is").
function(tevra_web_page target)
  cmake_parse_arguments(PAGE "" "DESCRIPTION" "" ${ARGN})
  winport_web_page(${target} PRE_JS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/page.js")
  target_link_libraries(${target} PRIVATE tevra_web_describer)
  if(NOT PAGE_DESCRIPTION)
    get_target_property(sources ${target} SOURCES)
    list(GET sources 0 source)
    file(STRINGS "${source}" heading REGEX " — " LIMIT_COUNT 1 ENCODING UTF-8)
    string(REGEX REPLACE "^.* — (.*[^.])\\.?$" "\\1" PAGE_DESCRIPTION "${heading}")
  endif()
  set_property(GLOBAL APPEND PROPERTY TEVRA_WEB_PAGES "${target}|${PAGE_DESCRIPTION}")
  # The index is written once every directory has added its pages.
  get_property(deferred GLOBAL PROPERTY TEVRA_WEB_INDEX_DEFERRED)
  if(NOT deferred)
    set_property(GLOBAL PROPERTY TEVRA_WEB_INDEX_DEFERRED ON)
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL tevra_web_index)
  endif()
endfunction()

# WINPORT_WEB_DIR/index.html: a link to every page, in the order they were made.
function(tevra_web_index)
  get_property(pages GLOBAL PROPERTY TEVRA_WEB_PAGES)
  set(items "")
  foreach(page ${pages})
    string(REPLACE "|" ";" page "${page}")
    list(GET page 0 name)
    list(GET page 1 description)
    string(APPEND items "  <li><a href=\"${name}.html\">${name}</a>: ${description}</li>\n")
  endforeach()
  file(CONFIGURE OUTPUT "${WINPORT_WEB_DIR}/index.html" CONTENT [[<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>TEVRA programs</title>
</head>
<body>
<main>
<h1>TEVRA programs</h1>
<p>Each page runs its program in the browser; clicks and keys go to the program.</p>
<ul>
${items}</ul>
</main>
</body>
</html>
]])
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
