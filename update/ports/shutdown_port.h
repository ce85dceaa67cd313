#pragma once
// The system calls of a computer restart: the process's own token, the
// shutdown privilege and the restart request. The order of the calls and the
// result codes are decided by the run (update/run/restart_request.h).

namespace quillet {

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

}  // namespace quillet
