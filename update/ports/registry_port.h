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
  // Exact value access, for before-images: names and data as the registry
  // holds them, through the Unicode calls, so that text the ANSI code page
  // lacks is not turned into "?". A name is UTF-16LE bytes without the NUL;
  // the data of a text type is UTF-16LE bytes too, of other types as stored.
  // A port without Unicode access serves them with the ANSI calls.
  virtual std::string exactName(const std::string& name) { return name; }
  // RegQueryValueExW; data grows to the stored size.
  virtual long queryExactValue(RegKey key, const std::string& exactName, std::uint32_t* type,
                               std::string* data) {
    for (;;) {
      std::uint32_t size = static_cast<std::uint32_t>(data->size());
      const long status = queryValue(key, exactName, type,
                                     reinterpret_cast<std::uint8_t*>(&(*data)[0]), &size);
      if (status != kErrorMoreData) {
        if (status == kErrorSuccess) data->resize(size);
        return status;
      }
      data->resize(size > data->size() ? size : data->size() * 2 + 16);
    }
  }
  // RegEnumValueW; kErrorNoMoreItems past the end.
  virtual long enumExactValue(RegKey key, std::uint32_t index, std::string* exactName,
                              std::uint32_t* type, std::string* data) {
    // The registry's longest value name, 16383 characters, as double-byte text.
    std::string name(2 * 16383 + 1, '\0');
    data->resize(4096);
    for (;;) {
      std::uint32_t nameSize = static_cast<std::uint32_t>(name.size());
      std::uint32_t dataSize = static_cast<std::uint32_t>(data->size());
      const long status = enumValue(key, index, &name[0], &nameSize, type,
                                    reinterpret_cast<std::uint8_t*>(&(*data)[0]), &dataSize);
      if (status == kErrorMoreData && data->size() < (64u << 20)) {
        data->resize(dataSize > data->size() ? dataSize : data->size() * 2);
        continue;
      }
      if (status == kErrorSuccess) {
        exactName->assign(name, 0, nameSize);
        data->resize(dataSize);
      }
      return status;
    }
  }
  // RegSetValueExW.
  virtual long setExactValue(RegKey key, const std::string& exactName, std::uint32_t type,
                             const std::string& data) {
    return setValue(key, exactName, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                    static_cast<std::uint32_t>(data.size()));
  }
  // RegFlushKey: the key's hive written to the disk before it returns.
  virtual long flushKey(RegKey key) {
    (void)key;
    return kErrorSuccess;
  }
};

}  // namespace quillet
