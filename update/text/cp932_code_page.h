#pragma once
// Code page 932 (Shift-JIS as Windows defines it) independent of the
// machine's own ANSI code page: the update tool's texts and scripts are
// written in it, and the script checker reads them on any host.
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

class Cp932CodePage : public CodePage {
 public:
  // Lead bytes 0x81-0x9F and 0xE0-0xFC.
  bool isLeadByte(unsigned char byte) const override;
  bool toUtf8(const std::string& ansi, std::string* utf8) const override;
  bool fromUtf8(const std::string& utf8, std::string* ansi) const override;
};

// cp932 bytes to UTF-8; false when the bytes are not valid cp932 text. One
// implementation per platform: iconv natively, the system's converter on
// Windows.
bool convertCp932ToUtf8(const std::string& ansi, std::string* utf8);
// UTF-8 to cp932; false when the text is not valid UTF-8 or holds a
// character cp932 lacks (no best-fit substitutes).
bool convertUtf8ToCp932(const std::string& utf8, std::string* ansi);

}  // namespace quillet
