// Loads the raster module by file name and finds its eight exports.
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

bool loadModule(const std::string& path, Module& module, std::string& error);
void unloadModule(Module& module);

}  // namespace riphost
