#pragma once
// The restart the restart dialog asks for: the run's order of calls over the
// Win32 system calls.
#include "update/run/restart_request.h"

namespace quillet {

// Enables the shutdown privilege, asks the system to restart (no message, no
// delay, applications with unsaved data are not forced), and disables the
// privilege again. Returns at once (0, -1, -2 or -3); the system shuts down
// asynchronously.
int restartComputer();

}  // namespace quillet
