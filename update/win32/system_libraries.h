#pragma once
// Quillet runs as administrator from folders anyone may have written to (a
// share, a USB stick, a downloads folder). Windows looks for a DLL in the
// program's own folder before the system folder, except for the known DLLs,
// so the program imports only known DLLs and takes every other system DLL
// from here: by its full path in the system folder.
#include <windows.h>

namespace quillet {

// Drops the program's folder and the current folder from later DLL searches
// where this Windows offers it (SetDefaultDllDirectories: Windows 8, or 7 and
// Vista with its update; SetDllDirectoryW: XP SP1 and later, current folder
// only). Both are looked up at run time, since XP lacks the first. Call first.
void restrictDllSearchToSystemFolder();

// Loads the system folder's DLL of this file name ("version.dll"), never a
// file of that name elsewhere; null when it cannot be loaded (last error set).
HMODULE loadSystemLibrary(const wchar_t* fileName);

// VERSION.dll's functions, loaded on first use and kept for the process.
struct VersionFunctions {
  DWORD(WINAPI* getFileVersionInfoSizeA)(LPCSTR, LPDWORD);
  BOOL(WINAPI* getFileVersionInfoA)(LPCSTR, DWORD, DWORD, LPVOID);
  BOOL(WINAPI* verQueryValueA)(LPCVOID, LPCSTR, LPVOID*, PUINT);
};

// Null when VERSION.dll or one of its functions is missing.
const VersionFunctions* versionFunctions();

}  // namespace quillet
