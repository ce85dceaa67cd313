#pragma once
// The registry port over the ANSI registry functions; status codes and buffer
// sizes pass through unchanged. The exact calls use the Unicode ones.
#include "update/ports/registry_port.h"

namespace quillet {

class Win32Registry : public RegistryPort {
 public:
  long createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                 RegKey* key) override;
  long openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
               RegKey* key) override;
  long closeKey(RegKey key) override;
  long queryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long setValue(RegKey key, const std::string& name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override;
  long deleteValue(RegKey key, const std::string& name) override;
  long deleteKey(RegKey parent, const std::string& subKey) override;
  long querySubKeyCount(RegKey key, std::uint32_t* count) override;
  long enumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize) override;
  long enumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
  long flushKey(RegKey key) override;
  // The exact calls, through the Unicode functions (win32_registry_exact.cpp).
  std::string exactName(const std::string& name) override;
  long queryExactValue(RegKey key, const std::string& exactName, std::uint32_t* type,
                       std::string* data) override;
  long enumExactValue(RegKey key, std::uint32_t index, std::string* exactName,
                      std::uint32_t* type, std::string* data) override;
  long setExactValue(RegKey key, const std::string& exactName, std::uint32_t type,
                     const std::string& data) override;
};

}  // namespace quillet
