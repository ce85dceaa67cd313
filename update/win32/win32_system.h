#pragma once
// Facts about the running program and the machine from the Win32 kernel.
#include "update/ports/system_port.h"

namespace quillet {

class Win32System : public SystemPort {
 public:
  bool moduleFileName(const std::string& moduleName, std::string* path) override;
  bool systemDirectory(std::string* path) override;
  bool environmentVariable(const std::string& name, std::string* value) override;
  int osMajorVersion() override;
  std::unique_ptr<HeldHandle> createSemaphore(const std::string& name, long* lastError) override;
};

}  // namespace quillet
