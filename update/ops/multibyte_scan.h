#pragma once
// Multi-byte aware searches over ANSI texts: a trail byte of a two-byte
// character may be 0x5C or 0x2E, so texts are walked from their start.
#include <cstddef>
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

// Position of the last single-byte `ch` of text (whole characters walked
// from the start), or kNoPosition.
std::size_t lastCharacter(const std::string& text, char ch, const CodePage& codePage);
// Position of the first single-byte `ch` at or after `from` (which must be a
// character start), or kNoPosition.
std::size_t nextCharacter(const std::string& text, std::size_t from, char ch,
                          const CodePage& codePage);

}  // namespace quillet
