#pragma once
// The request to restart the local computer at once.

namespace quillet {

enum : int {
  kRestartRequested = 0,
  kRestartNoToken = -1,        // the process's access token cannot be opened
  kRestartNoPrivilege = -2,    // "SeShutdownPrivilege" cannot be enabled
  kRestartRefused = -3,        // the system refused the request
};

// Enables the shutdown privilege, asks the system to restart (no message, no
// delay, applications with unsaved data are not forced), and disables the
// privilege again. Returns at once; the system shuts down asynchronously.
int restartComputer();

}  // namespace quillet
