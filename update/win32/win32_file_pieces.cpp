// Win32FileSystem's piecewise reading, and the stage's folder that only the
// system and the administrators may change.
#include <windows.h>
#include <sddl.h>

#include "update/win32/win32_file_system.h"

namespace quillet {
namespace {

class Win32Reading : public FileReading {
 public:
  explicit Win32Reading(HANDLE handle) : handle_(handle) {}
  ~Win32Reading() override { CloseHandle(handle_); }
  Win32Reading(const Win32Reading&) = delete;
  Win32Reading& operator=(const Win32Reading&) = delete;
  bool read(char* buffer, std::size_t capacity, std::size_t* got) override {
    // ReadFile takes at most a DWORD; the callers' pieces are far smaller.
    const DWORD want = capacity > 0x40000000u ? 0x40000000u : static_cast<DWORD>(capacity);
    DWORD done = 0;
    if (!ReadFile(handle_, buffer, want, &done, nullptr)) return false;
    *got = done;
    return true;
  }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<FileReading> Win32FileSystem::openToRead(const std::string& path, long* error) {
  // Shared as readFile shares: a file another program writes can be read.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32Reading>(handle);
}

bool Win32FileSystem::createPrivateDirectory(const std::string& path) {
  // Full control for the system and the administrators, inherited by every
  // file and folder inside; nothing taken from the parent ("P"), so a
  // product folder that lets users write does not open the stage to them.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
          "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1, &descriptor, nullptr)) {
    return false;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const bool made = CreateDirectoryA(path.c_str(), &attributes) != FALSE;
  LocalFree(descriptor);
  return made;
}

}  // namespace quillet
