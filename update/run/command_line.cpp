#include "update/run/command_line.h"

#include <cstring>

namespace quillet {

CommandWords splitCommandLine(const char* text) {
  CommandWords result;
  if (text == nullptr) return result;
  // The ANSI code pages the tool meets never use 0x20 or 0x2D as a trail
  // byte, so a plain byte scan sees every blank and hyphen correctly.
  int current = 0;
  std::string* word = &result.words[0];
  result.count = 1;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '-') continue;
    if (*p == ' ') {
      ++current;
      if (current == kMaxCommandWords) break;  // the eighth word has ended
      word = &result.words[current];
      result.count = current + 1;
      continue;
    }
    if (static_cast<int>(word->size()) < kMaxCommandWordLength) word->push_back(*p);
  }
  return result;
}

bool hasSilentWord(const CommandWords& words) {
  for (int i = 0; i < words.count; ++i) {
    if (words.words[i] == "silent") return true;
  }
  return false;
}

}  // namespace quillet
