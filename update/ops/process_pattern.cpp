#include "update/ops/process_pattern.h"

#include <cstddef>
#include <vector>

namespace quillet {

namespace {

// One character of a text: its value (a single byte, or lead byte * 256 +
// trail byte) and its length in bytes.
struct Char {
  unsigned value = 0;
  std::size_t length = 0;
};

Char charAt(const std::string& text, std::size_t i, const CodePage& codePage) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  if (codePage.isLeadByte(lead) && i + 1 < text.size())
    return Char{lead * 256u + static_cast<unsigned char>(text[i + 1]), 2};
  return Char{lead, 1};
}

unsigned upper(unsigned value) { return (value >= 'a' && value <= 'z') ? value - 32 : value; }

// Whether c is in the set that starts after "[" at i; *end is the position
// after its "]". False with *end at the text's end when the set is open.
bool inSet(unsigned c, const std::string& pattern, std::size_t i, std::size_t* end,
           const CodePage& codePage) {
  bool hit = false;
  bool havePrevious = false;
  unsigned previous = 0;
  while (i < pattern.size()) {
    const Char element = charAt(pattern, i, codePage);
    i += element.length;
    if (element.value == ']') {
      *end = i;
      return hit;
    }
    if (element.value == '-' && havePrevious && i < pattern.size() && pattern[i] != ']') {
      const Char high = charAt(pattern, i, codePage);
      i += high.length;
      if (c >= previous && c <= high.value) hit = true;
      havePrevious = false;
      continue;
    }
    if (c == element.value) hit = true;
    previous = element.value;
    havePrevious = true;
  }
  *end = pattern.size();
  return false;
}

// The matcher remembers the (name, pattern) positions from which it already
// failed, so a pattern with many "*" costs at most one try per position pair
// instead of one per way of splitting the name.
class Matcher {
 public:
  Matcher(const std::string& name, const std::string& pattern, const CodePage& codePage)
      : name_(name), pattern_(pattern), codePage_(codePage),
        failed_((name.size() + 1) * (pattern.size() + 1), false) {}

  bool from(std::size_t n, std::size_t p) {
    const std::size_t state = n * (pattern_.size() + 1) + p;
    if (failed_[state]) return false;
    if (step(n, p)) return true;
    failed_[state] = true;
    return false;
  }

 private:
  bool step(std::size_t n, std::size_t p) {
    while (p < pattern_.size()) {
      const Char token = charAt(pattern_, p, codePage_);
      if (token.value == '*') {
        // Every position from here to the end of the name, on character
        // boundaries, including the end itself.
        for (;;) {
          if (from(n, p + 1)) return true;
          if (n >= name_.size()) return false;
          n += charAt(name_, n, codePage_).length;
        }
      }
      if (n >= name_.size()) return false;
      const Char c = charAt(name_, n, codePage_);
      if (token.value == '[') {
        std::size_t end = 0;
        if (!inSet(upper(c.value), pattern_, p + 1, &end, codePage_)) return false;
        p = end;
      } else {
        if (token.value != '?' && token.value != upper(c.value)) return false;
        p += token.length;
      }
      n += c.length;
    }
    return n >= name_.size();
  }

  const std::string& name_;
  const std::string& pattern_;
  const CodePage& codePage_;
  std::vector<bool> failed_;
};

}  // namespace

int matchPattern(const std::string& name, const std::string& pattern, const CodePage& codePage) {
  return Matcher(name, pattern, codePage).from(0, 0) ? 1 : 0;
}

}  // namespace quillet
