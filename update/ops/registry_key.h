#pragma once
// A registry key opened through the port and closed when it goes out of
// scope.
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

}  // namespace quillet
