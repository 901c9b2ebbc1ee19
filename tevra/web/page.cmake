# tevra_web_page(TARGET): a TEVRA program's page: winport's page (winport_web_page) with TEVRA's
# parts added by page.js: ?script= and ?record=, and the TEVRA.SCR controls.
function(tevra_web_page target)
  winport_web_page(${target} PRE_JS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/page.js")
endfunction()
