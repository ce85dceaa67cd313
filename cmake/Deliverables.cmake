# What ships (Windows builds only): every program and DLL we deliver gets a
# version resource; Quillet.exe its application manifest; the PE files are
# checked statically (architecture, exports, imports, oldest Windows); the
# install rules and CPack make one ZIP per architecture:
#   Plexor-<version>-win32.zip / Plexor-<version>-win64.zip
if(NOT WIN32)
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PLEXOR_ARCH win64)
  set(PLEXOR_MANIFEST_ARCH amd64)
  set(PLEXOR_PE_MACHINE x86-64)
  set(PLEXOR_OLDEST_WINDOWS vista-x64)
else()
  set(PLEXOR_ARCH win32)
  set(PLEXOR_MANIFEST_ARCH x86)
  set(PLEXOR_PE_MACHINE i386)
  set(PLEXOR_OLDEST_WINDOWS xp-x86)
endif()

# target -> file description; each is one file of the package.
set(PLEXOR_DELIVERABLES
  Quillet "Plexor update tool"
  quillet-check "Plexor update script checker"
  Vexmoor "Plexor raster module"
  tessaro "Plexor stand-in host library tessaro"
  vindal "Plexor stand-in host library vindal"
  ombrix "Plexor stand-in host library ombrix"
  riphost "Plexor RIP host"
  rtlview "Plexor command stream viewer")

set(_plexor_generated ${CMAKE_BINARY_DIR}/deliverables)

# Adds a VERSIONINFO resource (version of project(), product name Plexor).
function(plexor_version_resource target description)
  get_target_property(type ${target} TYPE)
  get_target_property(PLEXOR_VR_NAME ${target} OUTPUT_NAME)
  if(NOT PLEXOR_VR_NAME)
    set(PLEXOR_VR_NAME ${target})
  endif()
  if(type STREQUAL EXECUTABLE)
    set(PLEXOR_VR_FILE ${PLEXOR_VR_NAME}.exe)
    set(PLEXOR_VR_TYPE VFT_APP)
  else()
    set(PLEXOR_VR_FILE ${PLEXOR_VR_NAME}.dll)
    set(PLEXOR_VR_TYPE VFT_DLL)
  endif()
  set(PLEXOR_VR_DESCRIPTION ${description})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${_plexor_generated}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${_plexor_generated}/${target}_version.rc)
endfunction()

set(_plexor_files)
set(_list ${PLEXOR_DELIVERABLES})
while(_list)
  list(POP_FRONT _list _target _description)
  if(TARGET ${_target})
    plexor_version_resource(${_target} "${_description}")
    list(APPEND _plexor_files $<TARGET_FILE:${_target}>)
  endif()
endwhile()

# Quillet.exe's manifest: execution level, common controls 6, supported systems.
if(TARGET Quillet)
  configure_file(${PROJECT_SOURCE_DIR}/update/app/Quillet.exe.manifest.in
                 ${_plexor_generated}/Quillet.exe.manifest @ONLY)
  # (file(CONFIGURE) touches the file only when its text changes: no rebuild per configure.)
  file(CONFIGURE OUTPUT ${_plexor_generated}/Quillet_manifest.rc
       CONTENT "1 24 \"${_plexor_generated}/Quillet.exe.manifest\"\n")
  set_source_files_properties(${_plexor_generated}/Quillet_manifest.rc PROPERTIES
    OBJECT_DEPENDS ${_plexor_generated}/Quillet.exe.manifest)
  target_sources(Quillet PRIVATE ${_plexor_generated}/Quillet_manifest.rc)
endif()

# Static checks of every delivered file; the only checks the 32-bit build can run.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  find_program(PLEXOR_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
else()
  find_program(PLEXOR_OBJDUMP i686-w64-mingw32-objdump REQUIRED)
endif()
find_package(Python3 COMPONENTS Interpreter)
set(_plexor_pe_checks
  --objdump ${PLEXOR_OBJDUMP} --machine ${PLEXOR_PE_MACHINE}
  --subsystem ${PLEXOR_SUBSYSTEM_VERSION} --version ${PROJECT_VERSION}
  --imports ${PROJECT_SOURCE_DIR}/cmake/imports-${PLEXOR_OLDEST_WINDOWS}.txt
  --exports-of Vexmoor.dll ${PROJECT_SOURCE_DIR}/raster/job/Vexmoor.def
  --manifest-of Quillet.exe --known-dlls-only-of Quillet.exe)
# The same checks for the packaged files (scripts/check_package.py): one argument a line.
string(REPLACE ";" "\n" _lines "${_plexor_pe_checks}")
file(CONFIGURE OUTPUT ${_plexor_generated}/pe_checks.txt CONTENT "${_lines}\n")
add_test(NAME deliverables.pe_check
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/check_pe.py ${_plexor_pe_checks}
    ${_plexor_files})

# The package step's signing, with a throwaway CA (needs openssl and
# osslsigncode; packs into scratch folders, not build/.../package).
add_test(NAME deliverables.signed_package
  COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/check_signed_package.sh ${CMAKE_BINARY_DIR})

# The package: programs, DLLs, the sample update media, the guides.
set(_media ${PROJECT_SOURCE_DIR}/demo/update/media)
install(PROGRAMS $<TARGET_FILE:Quillet> DESTINATION update-media)
install(DIRECTORY ${_media}/ DESTINATION update-media)
install(PROGRAMS $<TARGET_FILE:Vexmoor> $<TARGET_FILE:tessaro> $<TARGET_FILE:vindal>
                 $<TARGET_FILE:ombrix> $<TARGET_FILE:riphost> DESTINATION rip)
install(FILES ${PROJECT_SOURCE_DIR}/demo/raster/ticket.txt DESTINATION rip RENAME demo-ticket.txt)
install(PROGRAMS $<TARGET_FILE:quillet-check> $<TARGET_FILE:rtlview> DESTINATION tools)
install(FILES ${PROJECT_SOURCE_DIR}/package/operator-guide.txt
              ${PROJECT_SOURCE_DIR}/package/integrator-guide.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Plexor)
set(CPACK_PACKAGE_VENDOR Plexor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Plexor-${PROJECT_VERSION}-${PLEXOR_ARCH})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
# Signing with the key named in the package step's environment (after the
# stripping, which would break a signature); docs/update-run.md.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/SignPackage.cmake)
set(CPACK_PLEXOR_SIGN_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/sign_files.sh)
include(CPack)
