#include "update/run/seal_policy.h"

#include <cstdint>

#include "update/run/preconditions.h"

namespace quillet {

const char kRequireMediaSealValue[] = "RequireMediaSeal";

bool mediaSealRequired(RegistryPort& registry) {
  RegKey key = 0;
  if (registry.openKey(kLocalMachine, kProductKeyPath, kKeyQueryValue, &key) != kErrorSuccess) {
    return false;  // no product key: the run ends before its media matter
  }
  std::uint32_t type = 0;
  std::uint8_t data[8] = {};
  std::uint32_t size = sizeof data;
  const long status = registry.queryValue(key, kRequireMediaSealValue, &type, data, &size);
  registry.closeKey(key);
  if (status == kErrorFileNotFound) return false;
  if (status != kErrorSuccess || type != kRegDword || size != 4) return true;
  return (data[0] | data[1] | data[2] | data[3]) != 0;
}

}  // namespace quillet
