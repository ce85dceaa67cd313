#pragma once
// The system's ANSI code page: which bytes start a two-byte character, and
// conversion to UTF-8 for showing or printing texts, and back for names that
// arrive in UTF-8 (the media's list of checksums).
#include <string>

namespace quillet {

class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual bool isLeadByte(unsigned char byte) const = 0;
  // Converts ANSI bytes to UTF-8; false when the bytes are not valid text.
  virtual bool toUtf8(const std::string& ansi, std::string* utf8) const = 0;
  // Converts UTF-8 to ANSI bytes; false when the text is not valid UTF-8 or
  // holds a character the code page lacks.
  virtual bool fromUtf8(const std::string& utf8, std::string* ansi) const = 0;
};

}  // namespace quillet
