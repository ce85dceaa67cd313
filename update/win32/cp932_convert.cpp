// Windows conversion of cp932 texts through the system's own table; the
// checker and tests use it whatever the machine's ANSI code page is.
#include <windows.h>

#include <vector>

#include "update/text/cp932_code_page.h"

namespace quillet {

bool convertCp932ToUtf8(const std::string& ansi, std::string* utf8) {
  if (ansi.empty()) {
    utf8->clear();
    return true;
  }
  int wideLength = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, ansi.data(),
                                       static_cast<int>(ansi.size()), nullptr, 0);
  if (wideLength <= 0) return false;
  std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()),
                      wide.data(), wideLength);
  int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return false;
  std::vector<char> out(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
  utf8->assign(out.data(), out.size());
  return true;
}

}  // namespace quillet
