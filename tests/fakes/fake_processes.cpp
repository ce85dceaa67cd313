#include "tests/fakes/fake_processes.h"

#include <algorithm>

#include "update/ports/status_codes.h"

namespace quillet {

bool FakeProcesses::readCounterNames(const std::string& keyPath, std::vector<unsigned char>* data) {
  keyPathRead = keyPath;
  if (!hasCounters) return false;
  data->assign(counters.begin(), counters.end());
  return true;
}

long FakeProcesses::queryPerformanceData(const std::string& valueName,
                                         std::vector<unsigned char>& buffer, std::size_t* length) {
  valueQueried = valueName;
  offeredSizes.push_back(buffer.size());
  *length = 0;
  if (moreDataAnswers > 0) {
    --moreDataAnswers;
    return kErrorMoreData;
  }
  if (buffer.size() < answer.size()) return kErrorMoreData;
  std::copy(answer.begin(), answer.end(), buffer.begin());
  *length = answer.size();
  return queryError;
}

std::string FakeProcesses::instanceNameToAnsi(const std::u16string& name) {
  std::string ansi;
  for (char16_t unit : name) ansi.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  return ansi;
}

bool FakeProcesses::endProcess(std::uint32_t processId) {
  if (unendable.count(processId) != 0) return false;
  ended.push_back(processId);
  return true;
}

ProcessesPort::Lookup FakeProcesses::lookUpProcess(std::uint32_t processId,
                                                   std::uint64_t* creationTime) {
  if (processId == ownId) {
    *creationTime = ownCreationTime;
    return Lookup::kRunning;
  }
  if (inaccessible.count(processId) != 0) return Lookup::kNotAccessible;
  const auto found = running.find(processId);
  if (found == running.end()) return Lookup::kNotRunning;
  *creationTime = found->second;
  return Lookup::kRunning;
}

PrivilegeStage FakeProcesses::enableDebugPrivilege(long* lastError) {
  *lastError = privilegeError;
  return privilege;
}

}  // namespace quillet
