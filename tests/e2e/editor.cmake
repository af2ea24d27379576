# The real Brickwright under a private X server: the caption follows the pointer, and closing
# the window ends the program cleanly. The script starts its own Xvfb.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME e2e.editor_caption
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/editor_caption.py
          $<TARGET_FILE:Brickwright>)
# Under the sanitizer build, allocations that system libraries keep until exit are not ours.
set_tests_properties(e2e.editor_caption PROPERTIES
  TIMEOUT 90
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/editor_lsan.supp:print_suppressions=0")
