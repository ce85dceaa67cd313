// Loads the raster module and finds its eight exports.
#pragma once

#include <string>

namespace riphost {

struct Module {
  void* (*init)(int, const char*, int, int, int) = nullptr;
  int (*start)(void*) = nullptr;
  int (*write)(void*, void**, int, int, int) = nullptr;
  int (*send)(void*, void**, int, int, int) = nullptr;
  int (*stop)(void*) = nullptr;
  int (*close)(void*) = nullptr;
  int (*stat)() = nullptr;
  int (*put)() = nullptr;
  void* library = nullptr;
};

// The module at a path given by the user, as given.
bool loadModule(const std::string& path, Module& module, std::string& error);
// The module in riphost's own folder, by its full path; on Windows the host
// libraries it imports are loaded from there by full path first, so that
// its imports bind to them instead of being searched for.
bool loadModuleBesideProgram(Module& module, std::string& error);
void unloadModule(Module& module);

}  // namespace riphost
