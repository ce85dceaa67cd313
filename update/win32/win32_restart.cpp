#include "update/win32/win32_restart.h"

namespace quillet {

bool Win32ShutdownCalls::openOwnToken() {
  return OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_) !=
         0;
}

void Win32ShutdownCalls::lookUpShutdownPrivilege() {
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privilege_);
}

bool Win32ShutdownCalls::setShutdownPrivilege(bool enabled) {
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = privilege_;
  privileges.Privileges[0].Attributes = enabled ? SE_PRIVILEGE_ENABLED : 0;
  return AdjustTokenPrivileges(token_, FALSE, &privileges, 0, nullptr, nullptr) != 0;
}

bool Win32ShutdownCalls::requestRestart() {
  return InitiateSystemShutdownA(nullptr, nullptr, 0, FALSE, TRUE) != 0;
}

void Win32ShutdownCalls::closeToken() {
  CloseHandle(token_);
  token_ = nullptr;
}

}  // namespace quillet
