#pragma once
// Searches and case changes on ANSI texts that respect two-byte characters:
// the second byte of a cp932 character can be a backslash (0x5C), a dot's
// neighbour or an ASCII letter, and must never be taken for one.
#include <cstddef>
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

constexpr std::size_t kNotFound = std::string::npos;

// Position of the last single-byte character equal to ch (never a trail
// byte), or kNotFound.
std::size_t lastCharIndex(const std::string& text, char ch, const CodePage& codePage);
// Position of the first single-byte character equal to ch, or kNotFound.
std::size_t firstCharIndex(const std::string& text, char ch, const CodePage& codePage);

// Position of the first occurrence of needle in text that starts on a
// character boundary, or kNotFound.
std::size_t findOnCharBoundary(const std::string& text, const std::string& needle,
                               const CodePage& codePage);

// The text after the last backslash; the whole text when it has none; empty
// when the backslash is the last character.
std::string fileNameOf(const std::string& path, const CodePage& codePage);

// The text before the last backslash, or the fallback when there is none.
std::string folderOf(const std::string& path, const std::string& fallback,
                     const CodePage& codePage);

// Upper-cases single-byte ASCII letters; two-byte characters stay as they are.
std::string upperCaseSingleByte(const std::string& text, const CodePage& codePage);

// ASCII letter case ignored; meant for comparing with ASCII words.
bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b);

// The first maxBytes bytes of text, shortened by one when the cut would split
// a two-byte character.
std::string cutToBytes(const std::string& text, std::size_t maxBytes, const CodePage& codePage);

}  // namespace quillet
