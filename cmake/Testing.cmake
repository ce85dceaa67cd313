# Test helpers shared by every folder.
#
#   plexor_unit_test(NAME n SOURCES ... [LIBS ...])
#       A GoogleTest suite of portable code. Native build: each case is a CTest
#       test. Windows build: the suite runs once under Wine in the shared
#       prefix "core".
#   plexor_wine_test(NAME n SOURCES ... [LIBS ...] [PREFIX p] [ARGS ...])
#       A GoogleTest suite that exercises the real Win32 platform. Windows build
#       only; runs under Wine as an unprivileged user in its own prefix
#       (default: the suite's name), with Xvfb as display.
#   plexor_wine_command(NAME n COMMAND ... [PREFIX p])
#       Any command run under the same Wine harness (shell scripts that drive
#       several Windows programs).

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

set(PLEXOR_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(PLEXOR_WINE_DIR ${CMAKE_SOURCE_DIR}/tests/wine)

if(WIN32 AND NOT TARGET plexor_wine_fixture_registered)
  add_custom_target(plexor_wine_fixture_registered)
  add_test(NAME wine.setup COMMAND ${PLEXOR_WINE_DIR}/wine-setup.sh ${PLEXOR_WINE_ROOT})
  set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine.teardown COMMAND ${PLEXOR_WINE_DIR}/wine-teardown.sh ${PLEXOR_WINE_ROOT})
  set_tests_properties(wine.teardown PROPERTIES FIXTURES_CLEANUP wine)
endif()

function(_plexor_wine_env out prefix)
  set(${out}
    "PLEXOR_WINE_ROOT=${PLEXOR_WINE_ROOT}"
    "PLEXOR_WINE_PREFIX=${prefix}"
    "PLEXOR_BINARY_DIR=${CMAKE_BINARY_DIR}"
    "PLEXOR_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    PARENT_SCOPE)
endfunction()

function(plexor_unit_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  if(WIN32)
    add_test(NAME wine.${T_NAME} COMMAND ${T_NAME})
    _plexor_wine_env(env core)
    set_tests_properties(wine.${T_NAME} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${env}")
  else()
    gtest_discover_tests(${T_NAME} TEST_PREFIX "${T_NAME}." DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

function(plexor_wine_test)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME;PREFIX" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT T_PREFIX)
    set(T_PREFIX ${T_NAME})
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME wine.${T_NAME} COMMAND ${T_NAME} ${T_ARGS})
  _plexor_wine_env(env ${T_PREFIX})
  set_tests_properties(wine.${T_NAME} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${env}")
endfunction()

function(plexor_wine_command)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME;PREFIX" "COMMAND" ${ARGN})
  if(NOT T_PREFIX)
    set(T_PREFIX ${T_NAME})
  endif()
  add_test(NAME wine.${T_NAME} COMMAND ${T_COMMAND})
  _plexor_wine_env(env ${T_PREFIX})
  list(APPEND env "PLEXOR_WINE_RUN=${PLEXOR_WINE_DIR}/wine-run.sh")
  set_tests_properties(wine.${T_NAME} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${env}")
endfunction()

# Adds every immediate subfolder that has a CMakeLists.txt (aggregating folders).
function(plexor_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
