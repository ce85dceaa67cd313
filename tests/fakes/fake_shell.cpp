#include "tests/fakes/fake_shell.h"

namespace quillet {

bool FakeShell::saveShellLink(const std::string& targetPath, const std::string& linkPath) {
  calls.push_back("link " + targetPath + " > " + linkPath);
  return files_ != nullptr && unsavable.count(linkPath) == 0 &&
         files_->writeFile(linkPath, linkFileBytes(targetPath));
}

bool FakeShell::startProgram(const std::string& commandLine) {
  calls.push_back("start " + commandLine);
  if (unstartable.count(commandLine) != 0) return false;
  if (onStart) onStart(commandLine);
  return true;
}

}  // namespace quillet
