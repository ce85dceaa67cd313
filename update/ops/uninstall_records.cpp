#include "update/ops/uninstall_records.h"

#include <cstdint>
#include <cstring>

#include "update/ops/registry_edits.h"
#include "update/ops/registry_key.h"

namespace quillet {

const char kUninstallKeyPath[] = "SOFTWARE\\norvane\\Plexor\\UninstFiles";

namespace {

constexpr int kSeriesSize = 256;
constexpr std::uint32_t kEnumBuffer = 520;
constexpr std::uint32_t kValueBuffer = 1040;

enum class ValueState { kAbsent, kReadable, kTooLarge };

// One query of name below keyPath into a 1040-byte buffer. A value that does
// not fit still exists: the query answers "more data" for it.
ValueState queryValueState(RegistryPort& registry, const std::string& keyPath,
                           const std::string& name) {
  ScopedKey key(registry);
  if (!key.open(kLocalMachine, keyPath, kKeyQueryValue)) return ValueState::kAbsent;
  std::uint8_t data[kValueBuffer];
  std::uint32_t size = kValueBuffer;
  std::uint32_t type = 0;
  const long status = registry.queryValue(key.key(), name, &type, data, &size);
  if (status == kErrorSuccess) return ValueState::kReadable;
  return status == kErrorMoreData ? ValueState::kTooLarge : ValueState::kAbsent;
}

int recordInSeries(RegistryPort& registry, const std::string& path, const char* series) {
  if (isPathRecorded(registry, path) == 1) return 1;
  for (int n = 0; n < kSeriesSize; ++n) {
    const std::string name = series + std::to_string(n);
    // Gaps are filled first; taken numbers are passed over, including one
    // whose value is too large to read: it belongs to someone all the same.
    if (queryValueState(registry, kUninstallKeyPath, name) != ValueState::kAbsent) continue;
    return setStringValue(registry, kUninstallKeyPath, name, path);
  }
  return 0;
}

}  // namespace

int recordUninstallFile(RegistryPort& registry, const std::string& path) {
  return recordInSeries(registry, path, "FILE");
}

int recordUninstallFolder(RegistryPort& registry, const std::string& path) {
  return recordInSeries(registry, path, "DIR");
}

int isPathRecorded(RegistryPort& registry, const std::string& path) {
  ScopedKey key(registry);
  if (!key.open(kLocalMachine, kUninstallKeyPath, kKeyQueryValue)) return 0;
  for (std::uint32_t index = 0;; ++index) {
    char name[kEnumBuffer] = {};
    std::uint8_t data[kEnumBuffer + 1] = {};  // one spare NUL
    std::uint32_t nameSize = kEnumBuffer;
    std::uint32_t dataSize = kEnumBuffer;
    std::uint32_t type = 0;
    if (registry.enumValue(key.key(), index, name, &nameSize, &type, data, &dataSize) !=
        kErrorSuccess) {
      return 0;  // the end of the list or a value that does not fit
    }
    if (std::strcmp(reinterpret_cast<const char*>(data), path.c_str()) == 0) return 1;
  }
}

int valueExists(RegistryPort& registry, const std::string& keyPath, const std::string& name) {
  return queryValueState(registry, keyPath, name) == ValueState::kReadable ? 1 : 0;
}

}  // namespace quillet
