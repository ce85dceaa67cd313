#pragma once
// Full-width look-alikes of ASCII characters, as a Japanese input method
// types them (cp932 "：" 0x81 0x46, "　" 0x81 0x40, "１" 0x82 0x50, ...).
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

// The text with every full-width look-alike replaced by its ASCII
// character; *found tells whether there was any. cp932 bytes.
std::string narrowFullWidth(const std::string& text, const CodePage& codePage, bool* found);

// The text with only the full-width look-alikes of blanks and path
// separators (space, ":", "\", "/") replaced; *found as above.
std::string narrowFullWidthSeparators(const std::string& text, const CodePage& codePage,
                                      bool* found);

}  // namespace quillet
