#include "update/win32/win32_registry.h"

#include <windows.h>

#include "update/win32/win32_registry_handle.h"

namespace quillet {
namespace {

RegKey fromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

}  // namespace

long Win32Registry::createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                              RegKey* key) {
  HKEY opened = nullptr;
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExA(toHkey(parent), subKey.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &opened,
                                      &disposition);
  *key = status == ERROR_SUCCESS ? fromHkey(opened) : 0;
  return status;
}

long Win32Registry::openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                            RegKey* key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(toHkey(parent), subKey.c_str(), 0, access, &opened);
  *key = status == ERROR_SUCCESS ? fromHkey(opened) : 0;
  return status;
}

long Win32Registry::closeKey(RegKey key) { return RegCloseKey(toHkey(key)); }

long Win32Registry::flushKey(RegKey key) { return RegFlushKey(toHkey(key)); }

long Win32Registry::queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = size != nullptr ? *size : 0;
  const LONG status = RegQueryValueExA(toHkey(key), name.empty() ? nullptr : name.c_str(),
                                       nullptr, &valueType, data,
                                       size != nullptr ? &valueSize : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = valueSize;
  return status;
}

long Win32Registry::setValue(RegKey key, const std::string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExA(toHkey(key), name.empty() ? nullptr : name.c_str(), 0, type, data, size);
}

long Win32Registry::deleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueA(toHkey(key), name.empty() ? nullptr : name.c_str());
}

long Win32Registry::deleteKey(RegKey parent, const std::string& subKey) {
  return RegDeleteKeyA(toHkey(parent), subKey.c_str());
}

long Win32Registry::querySubKeyCount(RegKey key, std::uint32_t* count) {
  DWORD subKeys = 0;
  const LONG status = RegQueryInfoKeyA(toHkey(key), nullptr, nullptr, nullptr, &subKeys, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  *count = subKeys;
  return status;
}

long Win32Registry::enumKey(RegKey key, std::uint32_t index, char* name,
                            std::uint32_t* nameSize) {
  DWORD size = *nameSize;
  const LONG status =
      RegEnumKeyExA(toHkey(key), index, name, &size, nullptr, nullptr, nullptr, nullptr);
  *nameSize = size;
  return status;
}

long Win32Registry::enumValue(RegKey key, std::uint32_t index, char* name,
                              std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* dataSize) {
  DWORD size = *nameSize;
  DWORD valueType = 0;
  DWORD valueSize = dataSize != nullptr ? *dataSize : 0;
  const LONG status = RegEnumValueA(toHkey(key), index, name, &size, nullptr, &valueType, data,
                                    dataSize != nullptr ? &valueSize : nullptr);
  *nameSize = size;
  if (type != nullptr) *type = valueType;
  if (dataSize != nullptr) *dataSize = valueSize;
  return status;
}

}  // namespace quillet
