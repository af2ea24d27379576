# The road of a board with the real programs under a private Xvfb: Brickwright imports the brick
# sheet, paints a board, marks a brick unbreakable and saves board.brd beside a copy of Vantor;
# the file is checked with an independent reader; Vantor plays it and the breakable bricks go
# while the unbreakable one stays. On failure the script names the step and leaves screenshots,
# both programs' output and the board in road-artifacts/ of this build folder.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME e2e.road
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/road_e2e.py
          --editor $<TARGET_FILE:Brickwright>
          --game $<TARGET_FILE:Vantor>
          --sheet ${PROJECT_SOURCE_DIR}/assets/bricks.bmp
          --artifacts ${CMAKE_CURRENT_BINARY_DIR}/road-artifacts)
# The script sets each program's leak checking itself (the editor with the suppressions of the
# system libraries Qt loads, the game without, as its own check does); its steps carry their own
# time limits, well inside this one.
set_tests_properties(e2e.road PROPERTIES TIMEOUT 900)
