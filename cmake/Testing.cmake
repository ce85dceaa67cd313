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

if(WIN32)
  add_test(NAME wine.setup COMMAND ${PLEXOR_WINE_DIR}/wine-setup.sh ${PLEXOR_WINE_ROOT})
  set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine.teardown COMMAND ${PLEXOR_WINE_DIR}/wine-teardown.sh ${PLEXOR_WINE_ROOT})
  set_tests_properties(wine.teardown PROPERTIES FIXTURES_CLEANUP wine)
endif()

# Registers wine.<name>: the command under the Wine harness, in the given
# prefix, after the wine.setup fixture.
function(_plexor_add_wine_test name prefix)
  add_test(NAME wine.${name} COMMAND ${ARGN})
  set_tests_properties(wine.${name} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT
    "PLEXOR_WINE_ROOT=${PLEXOR_WINE_ROOT};PLEXOR_WINE_PREFIX=${prefix};PLEXOR_BINARY_DIR=${CMAKE_BINARY_DIR};PLEXOR_SOURCE_DIR=${CMAKE_SOURCE_DIR};PLEXOR_WINE_RUN=${PLEXOR_WINE_DIR}/wine-run.sh")
endfunction()

function(_plexor_gtest_executable name sources libs)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${libs} GTest::gmock GTest::gtest_main)
endfunction()

function(plexor_unit_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  _plexor_gtest_executable(${T_NAME} "${T_SOURCES}" "${T_LIBS}")
  if(WIN32)
    _plexor_add_wine_test(${T_NAME} core ${T_NAME})
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
  _plexor_gtest_executable(${T_NAME} "${T_SOURCES}" "${T_LIBS}")
  _plexor_add_wine_test(${T_NAME} ${T_PREFIX} ${T_NAME} ${T_ARGS})
endfunction()

function(plexor_wine_command)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME;PREFIX" "COMMAND" ${ARGN})
  if(NOT T_PREFIX)
    set(T_PREFIX ${T_NAME})
  endif()
  _plexor_add_wine_test(${T_NAME} ${T_PREFIX} ${T_COMMAND})
endfunction()
