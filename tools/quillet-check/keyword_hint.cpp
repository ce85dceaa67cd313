#include "tools/quillet-check/keyword_hint.h"

#include <algorithm>

#include "update/script/script_keywords.h"

namespace quillet {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::size_t kLongestHead = 20;

// Edits between a and b (each at most kLongestHead bytes), a swap of
// neighbours counting as one, letter case ignored.
std::size_t typingDistance(const std::string& a, const std::string& b) {
  const std::size_t n = a.size(), m = b.size();
  std::size_t d[kLongestHead + 1][kLongestHead + 1];
  for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      std::size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) &&
          lower(a[i - 2]) == lower(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[n][m];
}

}  // namespace

std::string keywordHead(const std::string& line) {
  std::size_t colon = line.find(':');  // 0x3A is never the second byte of a character
  if (colon != std::string::npos) return line.substr(0, colon + 1);
  return line.substr(0, line.find_first_of(" \t"));
}

const char* nearestKeyword(const std::string& line) {
  std::string head = keywordHead(line);
  // A forgotten colon: "PatchSetInfo" or "file a.dll".
  if (head.empty() || head.back() != ':') head += ":";
  if (head.size() > kLongestHead) return nullptr;  // longer than any keyword plus slips
  const char* best = nullptr;
  std::size_t bestDistance = 0;
  for (int code = 1; code <= kKwLast; ++code) {
    const std::string keyword = scriptKeywordText(code);
    const std::size_t allowed = keyword.size() >= 8 ? 2 : 1;
    const std::size_t distance = typingDistance(head, keyword);
    if (distance <= allowed && (!best || distance < bestDistance)) {
      best = scriptKeywordText(code);
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace quillet
