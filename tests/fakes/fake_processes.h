#pragma once
// Processes and performance data in memory: a "Counters" text, one answer
// to the performance query, and a record of the processes ended.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "update/ports/processes_port.h"

namespace quillet {

class FakeProcesses : public ProcessesPort {
 public:
  bool readCounterNames(const std::string& keyPath, std::vector<unsigned char>* data) override;
  long queryPerformanceData(const std::string& valueName, std::vector<unsigned char>& buffer,
                            std::size_t* length) override;
  void closePerformanceData() override { ++closes; }
  // Narrows ASCII; any other unit gives "?", as a code page without it would.
  std::string instanceNameToAnsi(const std::u16string& name) override;
  std::uint32_t ownProcessId() override { return ownId; }
  // Processes in `running` (by id, with their creation time) run; the own
  // process always does, created at ownCreationTime.
  Lookup lookUpProcess(std::uint32_t processId, std::uint64_t* creationTime) override;
  bool endProcess(std::uint32_t processId) override;
  PrivilegeStage enableDebugPrivilege(long* lastError) override;

  bool hasCounters = true;
  std::string counters;            // NUL-separated, as stored
  std::vector<unsigned char> answer;  // the performance data block
  int moreDataAnswers = 0;         // kErrorMoreData this many times first
  long queryError = 0;
  std::uint32_t ownId = 100;
  std::uint64_t ownCreationTime = 1000;
  std::map<std::uint32_t, std::uint64_t> running;
  std::set<std::uint32_t> inaccessible;  // run, but may not be asked
  std::set<std::uint32_t> unendable;
  PrivilegeStage privilege = PrivilegeStage::kEnabled;
  long privilegeError = 0;

  std::string keyPathRead;
  std::string valueQueried;
  std::vector<std::size_t> offeredSizes;
  int closes = 0;
  std::vector<std::uint32_t> ended;
};

}  // namespace quillet
