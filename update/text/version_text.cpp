#include "update/text/version_text.h"

namespace quillet {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void parseVersionParts(const std::string& text, int* major, int* minor) {
  std::size_t i = 0;
  int value = 0;
  while (i < text.size() && isDigit(text[i])) {
    int digit = text[i] - '0';
    value = (value > (kMaxVersionMajor - digit) / 10) ? kMaxVersionMajor : value * 10 + digit;
    ++i;
  }
  *major = value;

  bool malformed = !(i < text.size() && text[i] == '.');
  ++i;
  int minorValue = 0;
  for (int n = 0; n < 2; ++n, ++i) {
    int digit = 0;
    if (!malformed && i < text.size() && isDigit(text[i])) {
      digit = text[i] - '0';
    } else {
      malformed = true;
    }
    minorValue = minorValue * 10 + digit;
  }
  *minor = minorValue;
}

int versionNumberOf(const std::string& text) {
  int major = 0, minor = 0;
  parseVersionParts(text, &major, &minor);
  return major * 100 + minor;
}

}  // namespace quillet
