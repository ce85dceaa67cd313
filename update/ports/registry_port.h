#pragma once
// Registry access as the update tool needs it: the ANSI registry calls, with
// their status codes and buffer-size rules, so that enumeration and
// "buffer too small" behaviour is decided by the core, not the adapter.
#include <cstdint>
#include <string>

#include "update/ports/status_codes.h"

namespace quillet {

using RegKey = std::uintptr_t;
// The predefined root keys. Every path the update changes lies below the
// machine's; the user's own hive only keeps the journal of a run whose user
// may not write the product key.
constexpr RegKey kLocalMachine = 0x80000002u;
constexpr RegKey kCurrentUser = 0x80000001u;

enum : std::uint32_t {
  kKeyQueryValue = 0x0001,
  kKeySetValue = 0x0002,
  kKeyCreateSubKey = 0x0004,
  kKeyEnumerateSubKeys = 0x0008,
  kKeyRead = 0x20019,
  kKeyWrite = 0x20006,
  kKeyAllAccess = 0xF003F,
};

enum : std::uint32_t { kRegNone = 0, kRegSz = 1, kRegBinary = 3, kRegDword = 4 };

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  // RegCreateKeyExA (non-volatile, no class, default security).
  virtual long createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                         RegKey* key) = 0;
  // RegOpenKeyExA.
  virtual long openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                       RegKey* key) = 0;
  virtual long closeKey(RegKey key) = 0;
  // RegQueryValueExA: *size is the capacity of data on entry and the stored
  // size on return; kErrorMoreData when the value does not fit.
  virtual long queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) = 0;
  // RegSetValueExA: size bytes of data are stored as given.
  virtual long setValue(RegKey key, const std::string& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) = 0;
  virtual long deleteValue(RegKey key, const std::string& name) = 0;
  // RegDeleteKeyA: removes a key that has no subkeys.
  virtual long deleteKey(RegKey parent, const std::string& subKey) = 0;
  // RegQueryInfoKeyA, number of subkeys only.
  virtual long querySubKeyCount(RegKey key, std::uint32_t* count) = 0;
  // RegEnumKeyExA: *nameSize is the capacity in bytes (with the NUL) on entry
  // and the length without the NUL on return; kErrorMoreData when too small,
  // kErrorNoMoreItems past the end.
  virtual long enumKey(RegKey key, std::uint32_t index, char* name,
                       std::uint32_t* nameSize) = 0;
  // RegEnumValueA with the same conventions for the name and the data.
  virtual long enumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                         std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) = 0;
  // RegFlushKey: the key's hive written to the disk before it returns.
  virtual long flushKey(RegKey key) {
    (void)key;
    return kErrorSuccess;
  }
};

}  // namespace quillet
