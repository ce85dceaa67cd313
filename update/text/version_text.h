#pragma once
// Version texts such as "3.10": major part, a point, two minor digits.
#include <string>

namespace quillet {

// Largest major part whose version number (major * 100 + 99) still fits an
// int; longer digit runs saturate here instead of overflowing.
constexpr int kMaxVersionMajor = 21474835;

// Leading decimal digits give the major part (0 when there are none). The
// next character must be a point, else the text is malformed from there on.
// The two characters after it are the minor digits; a character that is not a
// digit, and every character once the text is malformed, counts as 0 and
// makes it malformed. Further characters are ignored. So "3.1" is 3 and 10,
// "3.123" 3 and 12, "3,10" 3 and 0, "" 0 and 0.
void parseVersionParts(const std::string& text, int* major, int* minor);

// major * 100 + minor of the text.
int versionNumberOf(const std::string& text);

}  // namespace quillet
