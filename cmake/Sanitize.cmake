# Sanitized builds and coverage-guided fuzzing (the "sanitize" preset).
#
#   PLEXOR_SANITIZE  every target under AddressSanitizer and
#                    UndefinedBehaviorSanitizer; the first finding ends the
#                    program with a failure.
#   PLEXOR_TSAN      every target under ThreadSanitizer (the "tsan" preset:
#                    concurrent jobs through the raster module).
#   PLEXOR_FUZZ      (clang) every library also carries libFuzzer's coverage
#                    instrumentation, and fuzz/ builds one libFuzzer program
#                    per outside input.
option(PLEXOR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(PLEXOR_TSAN "Build with ThreadSanitizer" OFF)
option(PLEXOR_FUZZ "Build the libFuzzer targets (clang)" OFF)

if(PLEXOR_TSAN)
  if(WIN32 OR PLEXOR_SANITIZE)
    message(FATAL_ERROR "PLEXOR_TSAN is for the native build, without PLEXOR_SANITIZE")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(PLEXOR_SANITIZE)
  if(WIN32)
    message(FATAL_ERROR "PLEXOR_SANITIZE is for the native build")
  endif()
  set(_plexor_sanitizers -fsanitize=address,undefined)
  add_compile_options(${_plexor_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(${_plexor_sanitizers})
endif()

if(PLEXOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT PLEXOR_SANITIZE)
    message(FATAL_ERROR "PLEXOR_FUZZ needs clang and PLEXOR_SANITIZE")
  endif()
  # Coverage for the code under test; only the fuzz programs link libFuzzer's
  # main (fuzz/CMakeLists.txt), so the unit suites keep their own.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
