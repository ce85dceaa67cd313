#include "update/text/cp932_code_page.h"

namespace quillet {

bool Cp932CodePage::isLeadByte(unsigned char byte) const {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool Cp932CodePage::toUtf8(const std::string& ansi, std::string* utf8) const {
  return convertCp932ToUtf8(ansi, utf8);
}

}  // namespace quillet
