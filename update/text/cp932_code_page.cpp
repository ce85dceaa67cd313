#include "update/text/cp932_code_page.h"

namespace quillet {

namespace {

// Single bytes that are neither a character nor a lead byte in code page
// 932. Some system tables still map them (0x80 to U+0080, for one); the tool
// treats them as invalid on every build so that all builds show the same.
bool isUnassignedSingleByte(unsigned char byte) {
  return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

}  // namespace

bool Cp932CodePage::isLeadByte(unsigned char byte) const {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool Cp932CodePage::toUtf8(const std::string& ansi, std::string* utf8) const {
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(ansi[i]);
    if (isLeadByte(byte)) {
      ++i;  // the pair is judged by the converter
    } else if (isUnassignedSingleByte(byte)) {
      return false;
    }
  }
  return convertCp932ToUtf8(ansi, utf8);
}

bool Cp932CodePage::fromUtf8(const std::string& utf8, std::string* ansi) const {
  // Only an exact round trip counts: a converter that maps a character to a
  // look-alike would name another file.
  std::string bytes;
  std::string back;
  if (!convertUtf8ToCp932(utf8, &bytes) || !toUtf8(bytes, &back) || back != utf8) return false;
  *ansi = std::move(bytes);
  return true;
}

}  // namespace quillet
