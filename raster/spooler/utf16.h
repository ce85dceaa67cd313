// UTF-8 <-> UTF-16 for the POSIX backends (the process's multibyte text is UTF-8).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexmoor {

// Both convert at most capacity-1 units, always terminate, and return false
// when the text did not fit. The bytes of a multibyte text that are not
// UTF-8 travel as the lone surrogates U+DC80..U+DCFF, one per byte, and come
// back as those bytes: a name in another code page reaches the spooler whole.
// utf16ToUtf8 fails on any other lone surrogate.
// Length of the well-formed UTF-8 sequence at s within `left` bytes, and its
// code point; 0 when the byte there does not start one (overlong forms,
// surrogates and code points past U+10FFFF are not text).
int utf8Sequence(const unsigned char* s, std::size_t left, std::uint32_t* codePoint);
// Writes the UTF-8 form of a code point (at most 4 bytes); returns its length.
std::size_t encodeUtf8(std::uint32_t codePoint, unsigned char* out);

bool utf8ToUtf16(const char* text, char16_t* out, std::size_t capacity);
bool utf16ToUtf8(const char16_t* text, char* out, std::size_t capacity);

}  // namespace vexmoor
