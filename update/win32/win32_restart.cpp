#include "update/win32/win32_restart.h"

#include <windows.h>

namespace quillet {
namespace {

BOOL setShutdownPrivilege(HANDLE token, const LUID& privilege, DWORD attributes) {
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = privilege;
  privileges.Privileges[0].Attributes = attributes;
  return AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

int restartComputer() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return kRestartNoToken;
  }
  LUID privilege = {};
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privilege);
  // TRUE does not mean the privilege was granted; the request below then fails.
  if (!setShutdownPrivilege(token, privilege, SE_PRIVILEGE_ENABLED)) {
    CloseHandle(token);
    return kRestartNoPrivilege;
  }
  const BOOL requested = InitiateSystemShutdownA(nullptr, nullptr, 0, FALSE, TRUE);
  setShutdownPrivilege(token, privilege, 0);
  CloseHandle(token);
  return requested ? kRestartRequested : kRestartRefused;
}

}  // namespace quillet
