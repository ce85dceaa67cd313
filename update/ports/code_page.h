#pragma once
// The system's ANSI code page: which bytes start a two-byte character, and
// conversion to UTF-8 for showing or printing texts.
#include <string>

namespace quillet {

class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual bool isLeadByte(unsigned char byte) const = 0;
  // Converts ANSI bytes to UTF-8; false when the bytes are not valid text.
  virtual bool toUtf8(const std::string& ansi, std::string* utf8) const = 0;
};

}  // namespace quillet
