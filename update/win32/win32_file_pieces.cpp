// Win32FileSystem's piecewise reading, and the stage's folder that only the
// system, the administrators and the user the run works as may change.
#include <windows.h>
#include <sddl.h>

#include "update/win32/file_handle.h"
#include "update/win32/win32_file_system.h"

namespace quillet {
namespace {

class Win32Reading : public FileReading {
 public:
  explicit Win32Reading(HANDLE handle) : handle_(handle) {}
  bool read(char* buffer, std::size_t capacity, std::size_t* got) override {
    // ReadFile takes at most a DWORD; the callers' pieces are far smaller.
    const DWORD want = capacity > 0x40000000u ? 0x40000000u : static_cast<DWORD>(capacity);
    DWORD done = 0;
    if (!ReadFile(handle_.get(), buffer, want, &done, nullptr)) return false;
    *got = done;
    return true;
  }

 private:
  FileHandle handle_;
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

// The SID of the user the run works as, in string form ("" when it cannot be
// had). A standard user's run ("Admin:0") must be able to fill its own stage.
static std::string runningUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
  std::string sid;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  LPSTR text = nullptr;
  if (size != 0 &&
      GetTokenInformation(token, TokenUser, &buffer[0], size, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

bool Win32FileSystem::createPrivateDirectory(const std::string& path) {
  // Full control for the system, the administrators and the user the run
  // works as (an administrator when elevated; for a standard user's run, the
  // one user whose changes it makes anyway), inherited by every file and
  // folder inside; nothing taken from the parent ("P"), so a product folder
  // that lets other users write does not open the stage to them.
  const std::string user = runningUserSid();
  if (user.empty()) return false;
  const std::string sddl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + user + ")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return false;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const bool made = CreateDirectoryA(path.c_str(), &attributes) != FALSE;
  LocalFree(descriptor);
  return made;
}

}  // namespace quillet
