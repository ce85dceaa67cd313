#pragma once
// Splitting of the program's command line into words, and the silent switch.
#include <string>

namespace quillet {

enum : int {
  kMaxCommandWords = 8,
  kMaxCommandWordLength = 259,  // a word's buffer holds 259 bytes and a zero
};

struct CommandWords {
  std::string words[kMaxCommandWords];
  int count = 0;
};

// A blank ends a word (two blanks make an empty word), hyphens are dropped
// wherever they stand, quotes mean nothing. At most eight words are kept; a
// word longer than 259 bytes keeps its first 259 and loses the rest up to the
// next blank. A null text gives no words.
CommandWords splitCommandLine(const char* text);

// True when one of the words is exactly "silent" (case-sensitive).
bool hasSilentWord(const CommandWords& words);

}  // namespace quillet
