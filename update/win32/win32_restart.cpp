#include "update/win32/win32_restart.h"

#include <windows.h>

namespace quillet {
namespace {

class Win32ShutdownCalls : public ShutdownCalls {
 public:
  bool openOwnToken() override {
    return OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            &token_) != 0;
  }
  void lookUpShutdownPrivilege() override {
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privilege_);
  }
  bool setShutdownPrivilege(bool enabled) override {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = privilege_;
    privileges.Privileges[0].Attributes = enabled ? SE_PRIVILEGE_ENABLED : 0;
    return AdjustTokenPrivileges(token_, FALSE, &privileges, 0, nullptr, nullptr) != 0;
  }
  bool requestRestart() override {
    return InitiateSystemShutdownA(nullptr, nullptr, 0, FALSE, TRUE) != 0;
  }
  void closeToken() override {
    CloseHandle(token_);
    token_ = nullptr;
  }

 private:
  HANDLE token_ = nullptr;
  LUID privilege_ = {};
};

}  // namespace

int restartComputer() {
  Win32ShutdownCalls calls;
  return requestComputerRestart(calls);
}

}  // namespace quillet
