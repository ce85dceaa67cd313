// UTF-8 <-> UTF-16 for the POSIX backends (the process's multibyte text is UTF-8).
#pragma once

#include <cstddef>

namespace vexmoor {

// Both convert at most capacity-1 units, always terminate, and return false
// when the text did not fit or was not well formed.
bool utf8ToUtf16(const char* text, char16_t* out, std::size_t capacity);
bool utf16ToUtf8(const char16_t* text, char* out, std::size_t capacity);

}  // namespace vexmoor
