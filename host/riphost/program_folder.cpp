#include "host/riphost/program_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <vector>

namespace riphost {

bool besideProgram(const FilePath& fileName, FilePath& path) {
#ifdef _WIN32
  // A path longer than the buffer comes back cut, with the full size: grow.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) {
      path.assign(buffer.data(), length);
      break;
    }
    if (buffer.size() >= 32768) return false;
    buffer.resize(buffer.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
#else
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) return false;
    if (std::size_t(length) < buffer.size()) {
      path.assign(buffer.data(), std::size_t(length));
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  const std::size_t slash = path.find_last_of('/');
#endif
  if (slash == FilePath::npos) return false;
  path.replace(slash + 1, FilePath::npos, fileName);
  return true;
}

}  // namespace riphost
