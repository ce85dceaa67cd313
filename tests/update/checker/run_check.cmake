# Runs quillet-check once and checks its exit status, its standard output
# (byte for byte against a file, or against a regular expression) and that
# standard error says something exactly when a usage error is expected.
#   -DCHECKER=exe -DARGS="a;b" -DSTATUS=n [-DEXPECTED=file] [-DEXPECTED_REGEX=re]
#   [-DWORKDIR=dir] [-DWINDIR=value | -DNO_WINDIR=1]
if(DEFINED WINDIR)
  set(ENV{WINDIR} "${WINDIR}")
endif()
if(NO_WINDIR)
  unset(ENV{WINDIR})
endif()
if(NOT WORKDIR)
  set(WORKDIR ".")
endif()
execute_process(COMMAND ${CHECKER} ${ARGS}
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(STATUS EQUAL 2)
  if(err STREQUAL "")
    message(FATAL_ERROR "usage error without a message on standard error")
  endif()
  if(NOT out STREQUAL "")
    message(FATAL_ERROR "usage error but standard output is not empty:\n${out}")
  endif()
elseif(NOT err STREQUAL "")
  message(FATAL_ERROR "unexpected standard error:\n${err}")
endif()
if(EXPECTED)
  file(READ ${EXPECTED} expected)
  if(NOT out STREQUAL expected)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/actual-output.json "${out}")
    message(FATAL_ERROR "output differs from ${EXPECTED}:\n${out}")
  endif()
endif()
if(EXPECTED_REGEX)
  if(NOT out MATCHES "${EXPECTED_REGEX}")
    message(FATAL_ERROR "output does not match ${EXPECTED_REGEX}:\n${out}")
  endif()
endif()
