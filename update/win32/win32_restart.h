#pragma once
// The request to restart the local computer at once, over the process token
// and InitiateSystemShutdownA.
#include "update/run/restart_request.h"

namespace quillet {

// Enables the shutdown privilege, asks the system to restart (no message, no
// delay, applications with unsaved data are not forced), and disables the
// privilege again. Returns at once; the system shuts down asynchronously.
int restartComputer();

}  // namespace quillet
