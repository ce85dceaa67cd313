// Value names and data exactly as the registry holds them: the Unicode
// registry functions, names and texts as UTF-16LE bytes.
#include <windows.h>

#include "update/text/wide_text.h"
#include "update/win32/win32_registry.h"
#include "update/win32/win32_registry_handle.h"

namespace quillet {
namespace {

std::wstring wideOf(const std::string& bytes) {
  std::wstring wide(bytes.size() / 2, L'\0');
  for (std::size_t at = 0; at < wide.size(); ++at) {
    wide[at] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * at]) |
                                    static_cast<unsigned char>(bytes[2 * at + 1]) << 8);
  }
  return wide;
}

std::string bytesOf(const wchar_t* wide, std::size_t length) {
  std::string bytes;
  for (std::size_t at = 0; at < length; ++at) {
    bytes.push_back(static_cast<char>(wide[at] & 0xFF));
    bytes.push_back(static_cast<char>((wide[at] >> 8) & 0xFF));
  }
  return bytes;
}

constexpr DWORD kLargestData = 64u << 20;

}  // namespace

std::string Win32Registry::exactName(const std::string& name) {
  const std::wstring wide = ansiToWide(name);
  return bytesOf(wide.c_str(), wide.size());
}

long Win32Registry::queryExactValue(RegKey key, const std::string& exactName,
                                    std::uint32_t* type, std::string* data) {
  const std::wstring name = wideOf(exactName);
  for (;;) {
    DWORD valueType = 0;
    DWORD size = static_cast<DWORD>(data->size());
    const LONG status =
        RegQueryValueExW(toHkey(key), name.c_str(), nullptr, &valueType,
                         data->empty() ? nullptr : reinterpret_cast<BYTE*>(&(*data)[0]), &size);
    // A null buffer only asks for the size: the second round reads it.
    const bool sizeOnly = status == ERROR_SUCCESS && data->empty() && size > 0;
    if ((status == ERROR_MORE_DATA || sizeOnly) && size <= kLargestData) {
      data->resize(size);
      continue;
    }
    if (status == ERROR_SUCCESS) data->resize(size);
    *type = valueType;
    return status;
  }
}

long Win32Registry::enumExactValue(RegKey key, std::uint32_t index, std::string* exactName,
                                   std::uint32_t* type, std::string* data) {
  // The registry's longest value name, 16383 characters, and its NUL.
  std::wstring name(16384, L'\0');
  data->resize(4096);
  for (;;) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD valueType = 0;
    DWORD size = static_cast<DWORD>(data->size());
    const LONG status = RegEnumValueW(toHkey(key), index, &name[0], &nameSize, nullptr,
                                      &valueType, reinterpret_cast<BYTE*>(&(*data)[0]), &size);
    if (status == ERROR_MORE_DATA && data->size() < kLargestData) {
      data->resize(size > data->size() ? size : data->size() * 2);
      continue;
    }
    if (status == ERROR_SUCCESS) {
      *exactName = bytesOf(name.c_str(), nameSize);
      data->resize(size);
      *type = valueType;
    }
    return status;
  }
}

long Win32Registry::setExactValue(RegKey key, const std::string& exactName, std::uint32_t type,
                                  const std::string& data) {
  const std::wstring name = wideOf(exactName);
  return RegSetValueExW(toHkey(key), name.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

}  // namespace quillet
