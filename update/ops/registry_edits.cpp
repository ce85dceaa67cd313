#include "update/ops/registry_edits.h"

#include <cstdint>

#include "update/ops/registry_key.h"

namespace quillet {

long runtimeAtol(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  // 32-bit wrap-around, as the tool's 32-bit run time behaves for long texts.
  std::uint32_t value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    value = value * 10u + static_cast<std::uint32_t>(text[at] - '0');
    ++at;
  }
  if (negative) value = 0u - value;
  return static_cast<long>(static_cast<std::int32_t>(value));
}

int createKey(RegistryPort& registry, const std::string& keyPath) {
  ScopedKey key(registry);
  return key.create(kLocalMachine, keyPath, kKeyWrite) ? 1 : 0;
}

int setStringValue(RegistryPort& registry, const std::string& keyPath, const std::string& name,
                   const std::string& data) {
  ScopedKey key(registry);
  if (!key.create(kLocalMachine, keyPath, kKeySetValue)) return 0;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.c_str());
  return registry.setValue(key.key(), name, kRegSz, bytes,
                           static_cast<std::uint32_t>(data.size() + 1)) == kErrorSuccess
             ? 1
             : 0;
}

int setDwordValue(RegistryPort& registry, const std::string& keyPath, const std::string& name,
                  const std::string& data) {
  ScopedKey key(registry);
  if (!key.create(kLocalMachine, keyPath, kKeySetValue)) return 0;
  const std::uint32_t number = static_cast<std::uint32_t>(runtimeAtol(data));
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
      static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
  return registry.setValue(key.key(), name, kRegDword, bytes, 4) == kErrorSuccess ? 1 : 0;
}

int deleteKeyTree(RegistryPort& registry, RegKey parent, const std::string& name) {
  // An empty name would open and delete the parent itself with everything
  // below it (a blank "delSubKey:" line under the product's key).
  if (name.empty()) return 0;
  ScopedKey key(registry);
  if (!key.open(parent, name, kKeyAllAccess)) return 0;
  std::uint32_t count = 0;
  if (registry.querySubKeyCount(key.key(), &count) != kErrorSuccess) return 0;
  const bool complete = visitSubKeysFromLast(
      registry, key.key(), count,
      [&](const std::string& subKey) { deleteKeyTree(registry, key.key(), subKey); });
  key.close();
  const bool deleted = registry.deleteKey(parent, name) == kErrorSuccess;
  return complete && deleted ? 1 : 0;
}

int deleteValue(RegistryPort& registry, const std::string& keyPath, const std::string& name) {
  ScopedKey key(registry);
  if (!key.open(kLocalMachine, keyPath, kKeySetValue)) return 0;
  return registry.deleteValue(key.key(), name) == kErrorSuccess ? 1 : 0;
}

int applyRegistryEntries(const UpdateJob& job, RegistryPort& registry) {
  for (int i = 0; i < job.registryEntryCount; ++i) {
    const RegistryEntry& entry = job.registryEntries[i];
    switch (entry.operation) {
      case kRegCreateKey:
        createKey(registry, entry.keyPath);
        break;
      case kRegSetString:
        setStringValue(registry, entry.keyPath, entry.valueName, entry.valueData);
        break;
      case kRegSetDword:
        setDwordValue(registry, entry.keyPath, entry.valueName, entry.valueData);
        break;
      case kRegDeleteSubKey: {
        ScopedKey parent(registry);
        // The one edit whose failure ends the step: later entries may depend
        // on the tree being gone.
        if (!parent.open(kLocalMachine, entry.keyPath, kKeyAllAccess)) return 0;
        deleteKeyTree(registry, parent.key(), entry.valueName);
        break;
      }
      case kRegDeleteValue:
        deleteValue(registry, entry.keyPath, entry.valueName);
        break;
      default:
        break;
    }
  }
  return 1;
}

}  // namespace quillet
