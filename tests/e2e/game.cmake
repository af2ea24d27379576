# The real Vantor from a temporary folder with a known board: headless start-up errors and the
# built-in board, then under a private Xvfb the bricks, the paddle, the frame rate, pause and a
# clean exit on close and on SIGTERM.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME e2e.game
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/game_e2e.py $<TARGET_FILE:Vantor>)
# Leak checking stays with the unit tests: the display and sound libraries keep allocations
# until exit that are not the game's.
set_tests_properties(e2e.game PROPERTIES
  TIMEOUT 600
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")

# A game recorded under Xvfb replays to the dump the game printed at exit, with vantor-replay and
# with Vantor --replay.
if(TARGET vantor-replay)
  add_test(NAME e2e.game_recording
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/game_recording.py $<TARGET_FILE:Vantor>
            $<TARGET_FILE:vantor-replay>)
  set_tests_properties(e2e.game_recording PROPERTIES
    TIMEOUT 600
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endif()
