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
// UTF-8 to text in the given Windows code page; false when the text is not
// valid UTF-8 or holds a character that code page lacks.
bool utf8ToCodePage(unsigned codePage, const std::string& utf8, std::string* text);

}  // namespace quillet
