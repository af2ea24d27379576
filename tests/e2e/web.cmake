# The browser build (make web, in build/web beside this build) against the native one: the same
# replay dumps under node, and the page in headless Chromium. Both skip, saying why, when
# Emscripten or Chromium is not installed and so there is no browser build.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(web_dir ${PROJECT_SOURCE_DIR}/build/web)
set(web_board ${PROJECT_SOURCE_DIR}/assets/board.brd)
add_test(NAME e2e.web_replay
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/web_replay.py
          $<TARGET_FILE:vantor-replay> ${web_dir}/vantor-replay.js ${web_board})
add_test(NAME e2e.web_page
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/web_page.py
          ${web_dir} $<TARGET_FILE:brdtool> ${web_board})
set_tests_properties(e2e.web_replay e2e.web_page PROPERTIES
  SKIP_RETURN_CODE 77 TIMEOUT 600 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
