#include "update/win32/win32_code_page.h"

#include <windows.h>

#include "update/text/wide_text.h"

namespace quillet {

bool Win32CodePage::isLeadByte(unsigned char byte) const { return IsDBCSLeadByte(byte) != 0; }

bool Win32CodePage::toUtf8(const std::string& ansi, std::string* utf8) const {
  return codePageToUtf8(CP_ACP, ansi, utf8);
}

bool Win32CodePage::fromUtf8(const std::string& utf8, std::string* ansi) const {
  return utf8ToCodePage(CP_ACP, utf8, ansi);
}

}  // namespace quillet
