# CPack runs this after staging the package's files and before making the
# ZIP (CPACK_PRE_BUILD_SCRIPTS). With PLEXOR_SIGN_PFX in the environment of
# the package step, every .exe and .dll staged is signed (cmake/sign_files.sh);
# a signing that fails fails the package step. Without it nothing changes.
# The old package goes first, so that a failed step leaves none behind that
# could be taken for this one.
file(REMOVE "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip")
if("$ENV{PLEXOR_SIGN_PFX}" STREQUAL "")
  return()
endif()
# Windows names are in any letter case: "SETUP.EXE" is a program too.
file(GLOB_RECURSE staged "${CPACK_TEMPORARY_DIRECTORY}/*")
set(binaries "")
foreach(file IN LISTS staged)
  if(file MATCHES "\\.([eE][xX][eE]|[dD][lL][lL])$")
    list(APPEND binaries "${file}")
  endif()
endforeach()
list(LENGTH binaries count)
if(count EQUAL 0)
  message(FATAL_ERROR "signing: no .exe or .dll staged in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
execute_process(COMMAND bash "${CPACK_PLEXOR_SIGN_SCRIPT}" ${binaries} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  # The staged programs go too: whatever CPack does after this error, it has
  # no unsigned file left to pack.
  file(REMOVE ${binaries})
  message(FATAL_ERROR "signing failed: no package made")
endif()
message(STATUS "signed ${count} files")
