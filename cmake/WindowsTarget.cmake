# The oldest Windows each architecture supports with this toolchain (see the
# README): Windows XP for x86 and Windows Vista for x86_64. The 64-bit build
# shares its run-time with the test suites: the posix-thread libraries, whose
# start-up code imports GetTickCount64 (Vista). The 32-bit build has no test
# suites and uses the Win32-thread run-time over msvcrt.dll, whose 64-bit
# file-time functions (_fstat64, _findfirst64) need XP's msvcrt.dll.
# _WIN32_WINNT, WINVER and NTDDI_VERSION hide every declaration of a newer
# version, so code that calls a newer function does not compile; the PE
# header's subsystem and OS versions let the loader of that version start it.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PLEXOR_WINNT 0x0600)
  set(PLEXOR_NTDDI 0x06000000)
  set(PLEXOR_SUBSYSTEM_VERSION 6.00)
else()
  set(PLEXOR_WINNT 0x0501)
  set(PLEXOR_NTDDI 0x05010000)
  set(PLEXOR_SUBSYSTEM_VERSION 5.01)
endif()
add_compile_definitions(_WIN32_WINNT=${PLEXOR_WINNT} WINVER=${PLEXOR_WINNT} NTDDI_VERSION=${PLEXOR_NTDDI})
string(REPLACE "." ";" _plexor_subsystem ${PLEXOR_SUBSYSTEM_VERSION})
list(GET _plexor_subsystem 0 _major)
list(GET _plexor_subsystem 1 _minor)
add_link_options(-Wl,--major-subsystem-version,${_major},--minor-subsystem-version,${_minor}
                 -Wl,--major-os-version,${_major},--minor-os-version,${_minor})
