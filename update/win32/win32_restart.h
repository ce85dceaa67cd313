#pragma once
// The system calls of a computer restart over the process token and
// InitiateSystemShutdownA.
#include <windows.h>

#include "update/ports/shutdown_port.h"

namespace quillet {

class Win32ShutdownCalls : public ShutdownCalls {
 public:
  bool openOwnToken() override;
  void lookUpShutdownPrivilege() override;
  bool setShutdownPrivilege(bool enabled) override;
  // No message, no delay, applications with unsaved data are not forced.
  bool requestRestart() override;
  void closeToken() override;

 private:
  HANDLE token_ = nullptr;
  LUID privilege_ = {};
};

}  // namespace quillet
