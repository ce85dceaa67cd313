#pragma once
// The desktop shell and the starting of other programs: shell link files
// through the shell's link object, and processes started from a command line.
#include <string>

namespace quillet {

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // Saves a shell link at linkPath that opens targetPath: no arguments, no
  // working folder, no description, no icon. The component library is set up
  // and released around the one link. True when the link was saved.
  virtual bool saveShellLink(const std::string& targetPath, const std::string& linkPath) = 0;
  // CreateProcessA with this command line and no application name: default
  // security, no handle inheritance, no creation flags, the tool's own
  // environment and current folder. Does not wait; the process and thread
  // handles are closed at once. True when the program was started.
  virtual bool startProgram(const std::string& commandLine) = 0;
};

}  // namespace quillet
