#pragma once
// The request to restart the local computer at once: enable the shutdown
// privilege in the process's own token, ask the system to restart, and
// disable the privilege again. The order and the result codes live here; the
// system calls are behind ShutdownCalls (Win32: update/win32/win32_restart.*).

namespace quillet {

enum : int {
  kRestartRequested = 0,
  kRestartNoToken = -1,      // the process's access token cannot be opened
  kRestartNoPrivilege = -2,  // "SeShutdownPrivilege" cannot be enabled
  kRestartRefused = -3,      // the system refused the request
};

class ShutdownCalls {
 public:
  virtual ~ShutdownCalls() = default;
  // Opens the own process's token for adjusting privileges and querying.
  virtual bool openOwnToken() = 0;
  // Looks up "SeShutdownPrivilege" on the local system; the outcome shows
  // only in the calls after it.
  virtual void lookUpShutdownPrivilege() = 0;
  // Enables or disables that one privilege (other privileges untouched); the
  // adjusting call's own result, which is true also when the privilege is
  // not held.
  virtual bool setShutdownPrivilege(bool enabled) = 0;
  // Restart of the local computer: no message, no delay, applications with
  // unsaved data are not forced to close.
  virtual bool requestRestart() = 0;
  virtual void closeToken() = 0;
};

// 0 when the system accepted the request, else -1, -2 or -3 (above). Returns
// at once; the system shuts down asynchronously. The token is closed on every
// path that opened it.
inline int requestComputerRestart(ShutdownCalls& calls) {
  if (!calls.openOwnToken()) return kRestartNoToken;
  calls.lookUpShutdownPrivilege();
  // A true result does not mean the privilege was granted; the request below
  // then fails.
  if (!calls.setShutdownPrivilege(true)) {
    calls.closeToken();
    return kRestartNoPrivilege;
  }
  const bool requested = calls.requestRestart();
  calls.setShutdownPrivilege(false);
  calls.closeToken();
  return requested ? kRestartRequested : kRestartRefused;
}

}  // namespace quillet
