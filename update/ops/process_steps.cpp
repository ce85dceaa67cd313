// Ending the listed processes before the update touches their files.
#include <cstdio>
#include <string>
#include <vector>

#include "update/ops/debug_privilege.h"
#include "update/ops/process_list.h"
#include "update/ops/process_pattern.h"
#include "update/ops/update_steps.h"
#include "update/text/mbcs_text.h"

namespace quillet {

namespace {

// A pattern slot holds 63 bytes and the terminating NUL.
constexpr std::size_t kPatternSlotSize = 64;

}  // namespace

int StandardSteps::endListedProcesses() {
  return endProcessesNamed(job_.processesToEnd, job_.processToEndCount, ports_);
}

int endProcessesNamed(const std::string* names, int count, UpdatePorts& ports) {
  // A name that does not fit its slot is left out rather than cut: a cut
  // pattern could name a different, shorter process.
  std::vector<std::string> patterns;
  for (int i = 0; i < count; ++i) {
    if (names[i].size() < kPatternSlotSize)
      patterns.push_back(upperCaseSingleByte(names[i], ports.codePage));
  }
  enableDebugPrivilege(ports.processes, stdout);
  // Every process, not only the first 255: busy machines run more.
  std::vector<ProcessInfo> list = listAllProcesses(ports.processes);
  const int listed = static_cast<int>(list.size());
  const std::uint32_t ownId = ports.processes.ownProcessId();

  for (int i = 0; i < listed; ++i) {
    ProcessInfo& entry = list[i];
    // An entry whose name did not fit is never matched, not even by "*".
    if (entry.processId == ownId || entry.name[0] == '\0') continue;
    const std::string name = entry.name;
    const std::size_t dot = firstCharIndex(name, '.', ports.codePage);
    const std::string withoutExtension = dot == kNotFound ? name : name.substr(0, dot);
    for (const std::string& pattern : patterns) {
      if (matchPattern(withoutExtension, pattern, ports.codePage) ||
          matchPattern(name, pattern, ports.codePage))
        entry.mark = 1;
    }
  }

  int result = 1;
  for (int i = 0; i < listed; ++i) {
    if (list[i].mark == 1 && !ports.processes.endProcess(list[i].processId)) result = 0;
  }
  return result;
}

}  // namespace quillet
