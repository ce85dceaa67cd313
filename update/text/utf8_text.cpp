#include "update/text/utf8_text.h"

namespace quillet {

std::string toUtf8Lenient(const std::string& ansi, const CodePage& codePage) {
  std::string utf8;
  if (codePage.toUtf8(ansi, &utf8)) return utf8;
  // Convert character by character so one bad byte spoils only itself. A
  // byte below 0x40 is never the second byte of a two-byte character, so a
  // stray lead byte before one does not take it along.
  utf8.clear();
  std::size_t i = 0;
  while (i < ansi.size()) {
    std::size_t length = (codePage.isLeadByte(static_cast<unsigned char>(ansi[i])) &&
                          i + 1 < ansi.size() && static_cast<unsigned char>(ansi[i + 1]) >= 0x40)
                             ? 2
                             : 1;
    std::string piece;
    if (codePage.toUtf8(ansi.substr(i, length), &piece)) {
      utf8 += piece;
    } else {
      utf8 += "\xEF\xBF\xBD";
    }
    i += length;
  }
  return utf8;
}

}  // namespace quillet
