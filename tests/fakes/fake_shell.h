#pragma once
// A shell that records what it is asked to do. Shell links are saved as small
// text files through the given file system (so a missing folder fails the
// save, as on the real platform); without one every save fails.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "update/ports/files_port.h"
#include "update/ports/shell_port.h"

namespace quillet {

class FakeShell : public ShellPort {
 public:
  explicit FakeShell(FileSystemPort* files = nullptr) : files_(files) {}
  bool saveShellLink(const std::string& targetPath, const std::string& linkPath) override;
  bool startProgram(const std::string& commandLine) override;

  // What a saved link file holds.
  static std::string linkFileBytes(const std::string& targetPath) {
    return "shell link > " + targetPath;
  }

  // "link <target> > <link>" and "start <command line>", in call order.
  std::vector<std::string> calls;
  // Link paths whose save fails (after the old file was deleted).
  std::set<std::string> unsavable;
  // Command lines that cannot be started (a missing program).
  std::set<std::string> unstartable;
  // Called with each command line that starts, at the moment it starts.
  std::function<void(const std::string&)> onStart;

 private:
  FileSystemPort* files_;
};

}  // namespace quillet
