#include "tools/quillet-check/windows_processes.h"

#include "update/ops/process_pattern.h"
#include "update/text/mbcs_text.h"

namespace quillet {

namespace {
const char* const kWindowsProcesses[] = {
    "system", "smss", "csrss", "wininit", "winlogon", "services", "lsass", "lsm", "svchost",
    "spoolsv", "explorer", "dwm", "taskhost", "taskhostw", "taskmgr", "conhost", "rundll32",
    "sihost", "ctfmon", "userinit", "wmiprvse", "msiexec", "alg", "dllhost"};
}  // namespace

std::string windowsProcessMatched(const std::string& pattern, const CodePage& codePage) {
  const std::string upper = upperCaseSingleByte(pattern, codePage);
  for (const char* name : kWindowsProcesses) {
    const std::string exe = std::string(name) + ".exe";
    if (matchPattern(name, upper, codePage) || matchPattern(exe, upper, codePage)) return exe;
  }
  return std::string();
}

}  // namespace quillet
