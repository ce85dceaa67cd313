#pragma once
// Processes of the running system: performance data through the registry,
// process ending and the debug privilege.
#include "update/ports/processes_port.h"

namespace quillet {

class Win32Processes : public ProcessesPort {
 public:
  bool readCounterNames(const std::string& keyPath, std::vector<unsigned char>* data) override;
  long queryPerformanceData(const std::string& valueName, std::vector<unsigned char>& buffer,
                            std::size_t* length) override;
  void closePerformanceData() override;
  std::string instanceNameToAnsi(const std::u16string& name) override;
  std::uint32_t ownProcessId() override;
  Lookup lookUpProcess(std::uint32_t processId, std::uint64_t* creationTime) override;
  bool endProcess(std::uint32_t processId) override;
  PrivilegeStage enableDebugPrivilege(long* lastError) override;
};

}  // namespace quillet
