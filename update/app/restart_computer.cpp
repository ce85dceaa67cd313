#include "update/app/restart_computer.h"

#include "update/win32/win32_restart.h"

namespace quillet {

int restartComputer() {
  Win32ShutdownCalls calls;
  return requestComputerRestart(calls);
}

}  // namespace quillet
