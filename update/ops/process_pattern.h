#pragma once
// Wildcard matching of process names against the "termProc:" patterns.
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

// 1 when name matches pattern. The pattern is already upper-cased; each
// single-byte letter of the name is upper-cased as it is compared.
//   "*"      any run of characters, including none
//   "?"      any one character
//   "[...]"  one character equal to an element of the set, or within a range
//            "x-y" of it (bounds inclusive); a set without its "]" matches
//            nothing
//   other    that character
// Two-byte characters count as one character throughout: a trail byte is
// never taken for a letter, a wildcard or a set element of its own.
int matchPattern(const std::string& name, const std::string& pattern, const CodePage& codePage);

}  // namespace quillet
