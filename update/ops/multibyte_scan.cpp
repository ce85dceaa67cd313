#include "update/ops/multibyte_scan.h"

namespace quillet {

namespace {
std::size_t characterLength(const std::string& text, std::size_t at, const CodePage& codePage) {
  if (codePage.isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
      text[at + 1] != '\0') {
    return 2;
  }
  return 1;
}
}  // namespace

std::size_t lastCharacter(const std::string& text, char ch, const CodePage& codePage) {
  std::size_t found = kNoPosition;
  for (std::size_t at = 0; at < text.size(); at += characterLength(text, at, codePage)) {
    if (text[at] == ch) found = at;
  }
  return found;
}

std::size_t nextCharacter(const std::string& text, std::size_t from, char ch,
                          const CodePage& codePage) {
  for (std::size_t at = from; at < text.size(); at += characterLength(text, at, codePage)) {
    if (text[at] == ch) return at;
  }
  return kNoPosition;
}

}  // namespace quillet
