#include "raster/spooler/utf16.h"

#include <cstdint>
#include <cstring>

namespace vexmoor {
namespace {

constexpr std::uint32_t kEscapedByte = 0xDC00;

}  // namespace

int utf8Sequence(const unsigned char* s, std::size_t left, std::uint32_t* codePoint) {
  if (left == 0) return 0;
  const unsigned char c = s[0];
  const int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (length == 0 || std::size_t(length) > left) return 0;
  std::uint32_t cp = length == 1 ? c : c & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (s[i] & 0x3F);
  }
  static const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
  *codePoint = cp;
  return length;
}

std::size_t encodeUtf8(std::uint32_t c, unsigned char* b) {
  if (c < 0x80) { b[0] = (unsigned char)c; return 1; }
  if (c < 0x800) { b[0] = (unsigned char)(0xC0 | (c >> 6)); b[1] = (unsigned char)(0x80 | (c & 0x3F)); return 2; }
  if (c < 0x10000) {
    b[0] = (unsigned char)(0xE0 | (c >> 12)); b[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
    b[2] = (unsigned char)(0x80 | (c & 0x3F)); return 3;
  }
  b[0] = (unsigned char)(0xF0 | (c >> 18)); b[1] = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
  b[2] = (unsigned char)(0x80 | ((c >> 6) & 0x3F)); b[3] = (unsigned char)(0x80 | (c & 0x3F)); return 4;
}

bool utf8ToUtf16(const char* text, char16_t* out, std::size_t capacity) {
  if (capacity == 0) return false;
  std::size_t n = 0;
  bool ok = true;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  std::size_t left = std::strlen(text);
  while (*s) {
    std::uint32_t c = 0;
    int length = utf8Sequence(s, left, &c);
    if (length == 0) {  // a byte of no UTF-8 text travels as U+DC80..U+DCFF
      c = kEscapedByte | *s;
      length = 1;
    }
    std::size_t units = c >= 0x10000 ? 2 : 1;
    if (n + units + 1 > capacity) { ok = false; break; }
    s += length;
    left -= std::size_t(length);
    if (units == 2) {
      c -= 0x10000;
      out[n++] = char16_t(0xD800 + (c >> 10));
      out[n++] = char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out[n++] = char16_t(c);
    }
  }
  out[n] = 0;
  return ok;
}

bool utf16ToUtf8(const char16_t* text, char* out, std::size_t capacity) {
  if (capacity == 0) return false;
  std::size_t n = 0;
  for (std::size_t i = 0; text[i]; ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    unsigned char b[4];
    std::size_t len;
    if (c >= 0xDC80 && c < 0xDD00) { b[0] = (unsigned char)(c & 0xFF); len = 1; }  // an escaped byte
    else if (c >= 0xD800 && c < 0xE000) { out[n] = 0; return false; }  // a lone surrogate is no text
    else len = encodeUtf8(c, b);
    if (n + len + 1 > capacity) { out[n] = 0; return false; }
    for (std::size_t k = 0; k < len; ++k) out[n++] = char(b[k]);
  }
  out[n] = 0;
  return true;
}

}  // namespace vexmoor
