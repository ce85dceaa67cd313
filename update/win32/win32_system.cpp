#include "update/win32/win32_system.h"

#include <windows.h>

#include <vector>

namespace quillet {
namespace {

class KernelHandle : public HeldHandle {
 public:
  explicit KernelHandle(HANDLE handle) : handle_(handle) {}
  ~KernelHandle() override {
    if (handle_ != nullptr) CloseHandle(handle_);
  }

 private:
  HANDLE handle_;
};

}  // namespace

bool Win32System::moduleFileName(const std::string& moduleName, std::string* path) {
  HMODULE module = GetModuleHandleA(moduleName.c_str());
  if (module == nullptr) return false;
  char buffer[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, buffer, MAX_PATH);
  // A path cut to the buffer is no path at all.
  if (length == 0 || length >= MAX_PATH) return false;
  path->assign(buffer, length);
  return true;
}

bool Win32System::systemDirectory(std::string* path) {
  char buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  path->assign(buffer, length);
  return true;
}

bool Win32System::environmentVariable(const std::string& name, std::string* value) {
  std::vector<char> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA(name.c_str(), buffer.data(),
                                                 static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value->clear();  // set, but empty
      return true;
    }
    if (length < buffer.size()) {
      value->assign(buffer.data(), length);
      return true;
    }
    buffer.resize(length);  // length includes the terminating zero here
  }
}

int Win32System::osMajorVersion() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return 0;
#pragma GCC diagnostic pop
  return static_cast<int>(info.dwMajorVersion);
}

std::unique_ptr<HeldHandle> Win32System::createSemaphore(const std::string& name,
                                                         long* lastError) {
  HANDLE handle = CreateSemaphoreA(nullptr, 0, 1, name.c_str());
  *lastError = static_cast<long>(GetLastError());
  // Only an existing object refuses its name: one made by an elevated run
  // may not be opened by a standard user. It is held by another copy all
  // the same.
  if (handle == nullptr && *lastError == ERROR_ACCESS_DENIED) {
    *lastError = ERROR_ALREADY_EXISTS;
    return std::make_unique<KernelHandle>(nullptr);
  }
  if (handle == nullptr) return nullptr;
  return std::make_unique<KernelHandle>(handle);
}

}  // namespace quillet
