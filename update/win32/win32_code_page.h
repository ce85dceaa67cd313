#pragma once
// The system's ANSI code page, as the running Windows has it.
#include "update/ports/code_page.h"

namespace quillet {

class Win32CodePage : public CodePage {
 public:
  bool isLeadByte(unsigned char byte) const override;
  bool toUtf8(const std::string& ansi, std::string* utf8) const override;
};

// UTF-8 to UTF-16 for the wide-character API; invalid sequences become
// U+FFFD, so that a text is always shown.
std::wstring utf8ToWide(const std::string& utf8);
// The system's ANSI code page to UTF-16; invalid bytes become U+FFFD too.
std::wstring ansiToWide(const std::string& ansi);
std::string wideToUtf8(const std::wstring& wide);

// Text in the given Windows code page to UTF-8; false when it holds bytes
// that are not characters of that code page.
bool codePageToUtf8(unsigned codePage, const std::string& text, std::string* utf8);

}  // namespace quillet
