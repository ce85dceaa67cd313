#include "host/riphost/module_loader.h"

#include "host/riphost/program_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace riphost {
namespace {

void* symbol(void* library, const char* name) {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
  return dlsym(library, name);
#endif
}

template <typename F>
bool bind(void* library, const char* name, F& target, std::string& error) {
  void* p = symbol(library, name);
  if (!p) {
    error = std::string("the module has no export ") + name;
    return false;
  }
  target = reinterpret_cast<F>(p);
  return true;
}

bool bindExports(Module& m, std::string& error) {
  return bind(m.library, "InitPrinter_16_FUNC", m.init, error) &&
         bind(m.library, "StartPrinter_16_FUNC", m.start, error) &&
         bind(m.library, "WritePrinter_16_FUNC", m.write, error) &&
         bind(m.library, "SendPrinter_16_FUNC", m.send, error) &&
         bind(m.library, "StopPrinter_16_FUNC", m.stop, error) &&
         bind(m.library, "ClosePrinter_16_FUNC", m.close, error) &&
         bind(m.library, "StatPrinter_16_FUNC", m.stat, error) && bind(m.library, "PutPrinter_16_FUNC", m.put, error);
}

#ifdef _WIN32
std::string shown(const std::wstring& path) {
  const int size = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, &text[0], size, nullptr, nullptr);
  return text;
}

// Beside the program by full path; the module's own imports are then looked
// for in its folder first, too.
void* loadBesideProgram(const wchar_t* name, std::string& error) {
  std::wstring path;
  if (!besideProgram(name, path)) {
    error = "the program's own folder is unknown (" + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) error = "LoadLibrary " + shown(path) + " failed with " + std::to_string(GetLastError());
  return library;
}
#endif

}  // namespace

bool loadModule(const std::string& path, Module& m, std::string& error) {
#ifdef _WIN32
  m.library = LoadLibraryA(path.c_str());
  if (!m.library) {
    error = "LoadLibrary " + path + " failed with " + std::to_string(GetLastError());
    return false;
  }
#else
  m.library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m.library) {
    error = std::string("dlopen: ") + dlerror();
    return false;
  }
#endif
  return bindExports(m, error);
}

bool loadModuleBesideProgram(Module& m, std::string& error) {
#ifdef _WIN32
  // Held until the program ends, like the import of tessaro.dll.
  for (const wchar_t* name : {L"tessaro.dll", L"vindal.dll", L"ombrix.dll"}) {
    if (!loadBesideProgram(name, error)) return false;
  }
  m.library = loadBesideProgram(L"" RIPHOST_DEFAULT_MODULE, error);
  return m.library && bindExports(m, error);
#else
  // The host libraries come through the module's run path, set at link time.
  std::string path;
  if (!besideProgram(RIPHOST_DEFAULT_MODULE, path)) {
    error = "the program's own folder is unknown";
    return false;
  }
  return loadModule(path, m, error);
#endif
}

void unloadModule(Module& m) {
  if (!m.library) return;
#ifdef _WIN32
  FreeLibrary(static_cast<HMODULE>(m.library));
#else
  dlclose(m.library);
#endif
  m.library = nullptr;
}

}  // namespace riphost
