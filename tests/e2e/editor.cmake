# The real Brickwright under a private X server: the caption follows the pointer, and closing
# the window ends the program cleanly. The script starts its own Xvfb.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME e2e.editor_caption
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/editor_caption.py
          $<TARGET_FILE:Brickwright>)
# Under the sanitizer build, allocations that system libraries keep until exit are not ours.
set_tests_properties(e2e.editor_caption PROPERTIES
  TIMEOUT 300
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/editor_lsan.supp:print_suppressions=0")

# A whole session with the real keys and mouse: paint, Ctrl+Z, Ctrl+Y, Mirror, F5 into the game,
# Shift-drag fill, Ctrl+S
# to the board's file, closing with and without unsaved changes, kill -9 and the recovery copy.
add_test(NAME e2e.editor_session
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/editor_session_e2e.py
          $<TARGET_FILE:Brickwright> ${PROJECT_SOURCE_DIR}/assets/bricks.bmp)
set_tests_properties(e2e.editor_session PROPERTIES
  TIMEOUT 600
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/editor_lsan.supp:print_suppressions=0")
