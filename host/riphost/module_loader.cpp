#include "host/riphost/module_loader.h"

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
  return bind(m.library, "InitPrinter_16_FUNC", m.init, error) &&
         bind(m.library, "StartPrinter_16_FUNC", m.start, error) &&
         bind(m.library, "WritePrinter_16_FUNC", m.write, error) &&
         bind(m.library, "SendPrinter_16_FUNC", m.send, error) &&
         bind(m.library, "StopPrinter_16_FUNC", m.stop, error) &&
         bind(m.library, "ClosePrinter_16_FUNC", m.close, error) &&
         bind(m.library, "StatPrinter_16_FUNC", m.stat, error) && bind(m.library, "PutPrinter_16_FUNC", m.put, error);
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
