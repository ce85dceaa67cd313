#include "update/win32/system_libraries.h"

#include <string>

namespace quillet {

namespace {

// Hidden from the oldest targets' headers; the value is the system's.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

template <typename Function>
Function systemFunction(HMODULE module, const char* name) {
  return module == nullptr ? nullptr
                           : reinterpret_cast<Function>(
                                 reinterpret_cast<void*>(GetProcAddress(module, name)));
}

VersionFunctions loadVersionFunctions() {
  VersionFunctions functions = {};
  const HMODULE module = loadSystemLibrary(L"version.dll");
  functions.getFileVersionInfoSizeA =
      systemFunction<decltype(functions.getFileVersionInfoSizeA)>(module, "GetFileVersionInfoSizeA");
  functions.getFileVersionInfoA =
      systemFunction<decltype(functions.getFileVersionInfoA)>(module, "GetFileVersionInfoA");
  functions.verQueryValueA =
      systemFunction<decltype(functions.verQueryValueA)>(module, "VerQueryValueA");
  return functions;
}

}  // namespace

void restrictDllSearchToSystemFolder() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
  const auto setDefault =
      systemFunction<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
  if (setDefault != nullptr) setDefault(kSearchSystem32);
  // An empty DLL directory takes the current folder out of the search.
  const auto setDirectory = systemFunction<SetDllDirectoryFunction>(kernel, "SetDllDirectoryW");
  if (setDirectory != nullptr) setDirectory(L"");
}

HMODULE loadSystemLibrary(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + fileName;
  // The DLL's own imports are then looked for beside it, in the system folder.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const VersionFunctions* versionFunctions() {
  static const VersionFunctions functions = loadVersionFunctions();
  const bool complete = functions.getFileVersionInfoSizeA != nullptr &&
                        functions.getFileVersionInfoA != nullptr &&
                        functions.verQueryValueA != nullptr;
  return complete ? &functions : nullptr;
}

}  // namespace quillet
