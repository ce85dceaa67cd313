#pragma once
// The system's ANSI code page, as the running Windows has it. The UTF-16
// conversions for the wide-character API are in update/text/wide_text.h.
#include "update/ports/code_page.h"
#include "update/text/wide_text.h"

namespace quillet {

class Win32CodePage : public CodePage {
 public:
  bool isLeadByte(unsigned char byte) const override;
  bool toUtf8(const std::string& ansi, std::string* utf8) const override;
  bool fromUtf8(const std::string& utf8, std::string* ansi) const override;
};

}  // namespace quillet
