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

bool utf8ToCodePage(unsigned codePage, const std::string& utf8, std::string* text) {
  bool ok = false;
  const std::wstring wide = toWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, &ok);
  if (!ok) return false;
  if (wide.empty()) {
    text->clear();
    return true;
  }
  // No best-fit look-alikes and no default character: a character the code
  // page lacks fails the conversion.
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         &usedDefault);
  if (length <= 0 || usedDefault) return false;
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      &out[0], length, nullptr, &usedDefault);
  if (usedDefault) return false;
  *text = std::move(out);
  return true;
}

}  // namespace quillet
