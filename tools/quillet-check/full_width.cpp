#include "tools/quillet-check/full_width.h"

namespace quillet {

namespace {

// The ASCII character a cp932 two-byte character stands for, or 0.
char asciiOf(unsigned char lead, unsigned char trail) {
  if (lead == 0x82) {
    if (trail >= 0x4F && trail <= 0x58) return static_cast<char>('0' + (trail - 0x4F));
    if (trail >= 0x60 && trail <= 0x79) return static_cast<char>('A' + (trail - 0x60));
    if (trail >= 0x81 && trail <= 0x9A) return static_cast<char>('a' + (trail - 0x81));
    return 0;
  }
  if (lead != 0x81) return 0;
  switch (trail) {
    case 0x40: return ' ';
    case 0x43: return ',';
    case 0x44: return '.';
    case 0x46: return ':';
    case 0x47: return ';';
    case 0x48: return '?';
    case 0x49: return '!';
    case 0x51: return '_';
    case 0x5E: return '/';
    case 0x5F: return '\\';
    case 0x69: return '(';
    case 0x6A: return ')';
    case 0x7B: return '+';
    case 0x7C: return '-';
    case 0x81: return '=';
    case 0x90: return '$';
    case 0x93: return '%';
    case 0x94: return '#';
    case 0x95: return '&';
    case 0x96: return '*';
    case 0x97: return '@';
    default: return 0;
  }
}

std::string narrow(const std::string& text, const CodePage& cp, bool separatorsOnly,
                   bool* found) {
  std::string out;
  *found = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (!cp.isLeadByte(lead) || i + 1 >= text.size()) {
      out.push_back(text[i]);
      continue;
    }
    const char ascii = asciiOf(lead, static_cast<unsigned char>(text[i + 1]));
    const bool take = ascii && (!separatorsOnly || ascii == ' ' || ascii == ':' ||
                                ascii == '\\' || ascii == '/');
    if (take) {
      out.push_back(ascii);
      *found = true;
    } else {
      out.append(text, i, 2);
    }
    ++i;
  }
  return out;
}

}  // namespace

std::string narrowFullWidth(const std::string& text, const CodePage& codePage, bool* found) {
  return narrow(text, codePage, false, found);
}

std::string narrowFullWidthSeparators(const std::string& text, const CodePage& codePage,
                                      bool* found) {
  return narrow(text, codePage, true, found);
}

}  // namespace quillet
