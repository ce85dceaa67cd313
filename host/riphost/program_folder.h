#pragma once
// riphost's own folder, where the raster module and the host libraries lie.
// They are loaded by their full path there: a bare name would let the system
// search the current folder and PATH as well, and load whatever lies there.
#include <string>

namespace riphost {

#ifdef _WIN32
using FilePath = std::wstring;  // any character, whatever the ANSI code page
#else
using FilePath = std::string;
#endif

// The full path of fileName in the folder of the running executable
// (Windows: the folder of GetModuleFileNameW; elsewhere of /proc/self/exe);
// false when the system does not tell where that is.
bool besideProgram(const FilePath& fileName, FilePath& path);

}  // namespace riphost
