#pragma once
// A registry key opened through the port and closed when it goes out of
// scope, and the walk over a key's subkeys that deleting them needs.
#include <cstdint>
#include <string>

#include "update/ports/registry_port.h"

namespace quillet {

class ScopedKey {
 public:
  explicit ScopedKey(RegistryPort& registry) : registry_(registry) {}
  ~ScopedKey() { close(); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  // RegCreateKeyExA below parent; true when the key is open.
  bool create(RegKey parent, const std::string& path, std::uint32_t access) {
    close();
    opened_ = registry_.createKey(parent, path, access, &key_) == kErrorSuccess;
    return opened_;
  }
  // RegOpenKeyExA below parent; true when the key is open.
  bool open(RegKey parent, const std::string& path, std::uint32_t access) {
    close();
    opened_ = registry_.openKey(parent, path, access, &key_) == kErrorSuccess;
    return opened_;
  }
  void close() {
    if (opened_) registry_.closeKey(key_);
    opened_ = false;
  }
  RegKey key() const { return key_; }

 private:
  RegistryPort& registry_;
  RegKey key_ = 0;
  bool opened_ = false;
};

// Calls visit(name) for each of the count subkeys of key, from the highest
// index down so that deleting the visited key leaves the lower indexes valid.
// Names that do not fit 260 bytes are passed over. True when the walk reached its
// end; false when the enumeration failed otherwise.
template <typename Visit>
bool visitSubKeysFromLast(RegistryPort& registry, RegKey key, std::uint32_t count, Visit visit) {
  constexpr std::uint32_t kNameBuffer = 260;
  for (std::int64_t index = static_cast<std::int64_t>(count) - 1; index >= 0; --index) {
    char name[kNameBuffer + 1] = {};  // one spare NUL
    std::uint32_t size = kNameBuffer;
    const long status = registry.enumKey(key, static_cast<std::uint32_t>(index), name, &size);
    if (status == kErrorMoreData) continue;
    if (status != kErrorSuccess) return status == kErrorNoMoreItems;
    visit(std::string(name));
  }
  return true;
}

}  // namespace quillet
