#pragma once
// Shell links through the shell's link object (component library), and
// programs started with CreateProcessA.
#include "update/ports/shell_port.h"

namespace quillet {

class Win32Shell : public ShellPort {
 public:
  bool saveShellLink(const std::string& targetPath, const std::string& linkPath) override;
  bool startProgram(const std::string& commandLine) override;
};

}  // namespace quillet
