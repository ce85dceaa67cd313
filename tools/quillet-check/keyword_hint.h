#pragma once
// The keyword an author most likely meant by a line that is not one.
#include <string>

namespace quillet {

// The keyword nearest to the start of the line: the text up to its first
// colon (or its first word, given a colon), compared without letter case
// and allowing one or two typing slips (a letter wrong, missing, extra or
// two swapped), fewer for short keywords. Null when none is that close.
// The part of a line that names its keyword: up to its first colon, or its
// first word when it has no colon.
std::string keywordHead(const std::string& line);

const char* nearestKeyword(const std::string& line);

}  // namespace quillet
