# Every subsystem has the same shape: a static library with an alias target, and a test program
# that links it and registers its cases with CTest.

# vantor_module(NAME SOURCES src... [LINKS target...])
# Creates the static library NAME and the alias vantor::NAME. Headers are included as
# "subsystem/file.h" from the repository root.
function(vantor_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(vantor::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_LINKS)
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  endif()
endfunction()

# vantor_tests(NAME SOURCES src... [LINKS target...] [ENVIRONMENT VAR=value...] [TIMEOUT seconds])
# Creates the GoogleTest program NAME and registers every case with CTest.
function(vantor_tests name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LINKS;ENVIRONMENT" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  # The environment is set by a script of its own that CTest reads after the discovered tests:
  # gtest_discover_tests writes every element of a list it is given as a property of its own,
  # so a test would get only the first variable.
  if(ARG_ENVIRONMENT)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
    file(WRITE ${script}
         "set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${ARG_ENVIRONMENT}]==])\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()
