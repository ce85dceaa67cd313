#pragma once
// UTF-16 conversions for the wide-character API, through the system's own
// code-page tables. Windows build only (update/text/wide_text_win32.cpp).
#include <string>

namespace quillet {

// UTF-8 to UTF-16; invalid sequences become U+FFFD, so that a text is always
// shown.
std::wstring utf8ToWide(const std::string& utf8);
// The system's ANSI code page to UTF-16; invalid bytes become U+FFFD too.
std::wstring ansiToWide(const std::string& ansi);
std::string wideToUtf8(const std::wstring& wide);

// Text in the given Windows code page to UTF-8; false when it holds bytes
// that are not characters of that code page.
bool codePageToUtf8(unsigned codePage, const std::string& text, std::string* utf8);

}  // namespace quillet
