#pragma once
// The request to restart the local computer at once: enable the shutdown
// privilege in the process's own token, ask the system to restart, and
// disable the privilege again. The order and the result codes live here; the
// system calls are behind ShutdownCalls (Win32: update/win32/win32_restart.*).
#include "update/ports/shutdown_port.h"

namespace quillet {

enum : int {
  kRestartRequested = 0,
  kRestartNoToken = -1,      // the process's access token cannot be opened
  kRestartNoPrivilege = -2,  // "SeShutdownPrivilege" cannot be enabled
  kRestartRefused = -3,      // the system refused the request
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
