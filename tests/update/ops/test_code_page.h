#pragma once
// Code page 932 as far as the operations need it: which bytes lead a
// two-byte character. Texts are passed through unconverted.
#include "update/ports/code_page.h"

namespace quillet {

class TestCp932 : public CodePage {
 public:
  bool isLeadByte(unsigned char byte) const override {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
  }
  bool toUtf8(const std::string& ansi, std::string* utf8) const override {
    *utf8 = ansi;
    return true;
  }
};

}  // namespace quillet
