#include "update/text/mbcs_text.h"

namespace quillet {

namespace {

// Calls visit(position, length) for each character; a lead byte at the very
// end of the text counts as a character of its own.
template <typename Visit>
void forEachChar(const std::string& text, const CodePage& codePage, Visit visit) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t length =
        (codePage.isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    if (!visit(i, length)) return;
    i += length;
  }
}

}  // namespace

std::size_t lastCharIndex(const std::string& text, char ch, const CodePage& codePage) {
  std::size_t found = kNotFound;
  forEachChar(text, codePage, [&](std::size_t i, std::size_t length) {
    if (length == 1 && text[i] == ch) found = i;
    return true;
  });
  return found;
}

std::size_t firstCharIndex(const std::string& text, char ch, const CodePage& codePage) {
  std::size_t found = kNotFound;
  forEachChar(text, codePage, [&](std::size_t i, std::size_t length) {
    if (length == 1 && text[i] == ch) {
      found = i;
      return false;
    }
    return true;
  });
  return found;
}

std::size_t findOnCharBoundary(const std::string& text, const std::string& needle,
                               const CodePage& codePage) {
  if (needle.empty()) return 0;
  std::size_t found = kNotFound;
  forEachChar(text, codePage, [&](std::size_t i, std::size_t) {
    if (text.compare(i, needle.size(), needle) == 0) {
      found = i;
      return false;
    }
    return true;
  });
  return found;
}

std::string fileNameOf(const std::string& path, const CodePage& codePage) {
  std::size_t slash = lastCharIndex(path, '\\', codePage);
  return slash == kNotFound ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path, const std::string& fallback,
                     const CodePage& codePage) {
  std::size_t slash = lastCharIndex(path, '\\', codePage);
  return slash == kNotFound ? fallback : path.substr(0, slash);
}

std::string upperCaseSingleByte(const std::string& text, const CodePage& codePage) {
  std::string result = text;
  forEachChar(text, codePage, [&](std::size_t i, std::size_t length) {
    if (length == 1 && result[i] >= 'a' && result[i] <= 'z')
      result[i] = static_cast<char>(result[i] - 'a' + 'A');
    return true;
  });
  return result;
}

bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::string cutToBytes(const std::string& text, std::size_t maxBytes, const CodePage& codePage) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = 0;
  forEachChar(text, codePage, [&](std::size_t i, std::size_t length) {
    if (i + length > maxBytes) return false;
    end = i + length;
    return true;
  });
  return text.substr(0, end);
}

}  // namespace quillet
