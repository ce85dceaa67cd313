#pragma once
// Scratch files for the Wine tests: a fresh folder under the temporary folder
// of the prefix, and plain Win32 helpers that check results independently of
// the adapters under test.
#include <windows.h>

#include <cstdint>
#include <string>

namespace quillet {

// A fresh empty folder (GetTempPathA + name), removed with its contents when
// the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void removeTreeForCleanup(const std::string& path);
bool writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);  // empty when unreadable
bool fileExists(const std::string& path);
// True when FindFirstFileA finds anything for the wildcard pattern.
bool anyMatch(const std::string& pattern);
DWORD attributesOf(const std::string& path);
bool setLastWrite(const std::string& path, std::uint64_t fileTime);
std::uint64_t lastWriteOf(const std::string& path);
// The folder of the running test program (the test DLLs lie beside it).
std::string programFolder();

}  // namespace quillet
