#include "update/text/wide_text.h"

#include <windows.h>

namespace quillet {
namespace {

std::wstring toWide(UINT codePage, DWORD flags, const std::string& text, bool* ok) {
  *ok = true;
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(codePage, flags, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) {
    *ok = false;
    return std::wstring();
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &wide[0],
                      length);
  return wide;
}

}  // namespace

bool codePageToUtf8(unsigned codePage, const std::string& text, std::string* utf8) {
  bool ok = false;
  const std::wstring wide = toWide(codePage, MB_ERR_INVALID_CHARS, text, &ok);
  if (!ok) return false;
  *utf8 = wideToUtf8(wide);
  return true;
}

std::wstring utf8ToWide(const std::string& utf8) {
  bool ok = false;
  return toWide(CP_UTF8, 0, utf8, &ok);
}

std::wstring ansiToWide(const std::string& ansi) {
  bool ok = false;
  return toWide(CP_ACP, 0, ansi, &ok);
}

std::string wideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], length,
                      nullptr, nullptr);
  return out;
}

}  // namespace quillet
