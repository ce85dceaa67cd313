#pragma once
// The programs of Windows itself, which no "termProc:" pattern should end.
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

// The first such program ("svchost.exe") that the pattern (a "termProc:"
// value) matches as Quillet matches it, with or without ".exe"; empty when
// none does.
std::string windowsProcessMatched(const std::string& pattern, const CodePage& codePage);

}  // namespace quillet
