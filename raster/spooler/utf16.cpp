#include "raster/spooler/utf16.h"

#include <cstdint>

namespace vexmoor {

bool utf8ToUtf16(const char* text, char16_t* out, std::size_t capacity) {
  if (capacity == 0) return false;
  std::size_t n = 0;
  bool ok = true;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (*s) {
    std::uint32_t c = *s;
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0) { ok = false; break; }
    c &= extra == 0 ? 0x7F : extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07;
    ++s;
    for (int i = 0; i < extra; ++i, ++s) {
      if ((*s & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (*s & 0x3F);
    }
    if (!ok) break;
    std::size_t units = c >= 0x10000 ? 2 : 1;
    if (n + units + 1 > capacity) { ok = false; break; }
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
    if (c < 0x80) { b[0] = (unsigned char)c; len = 1; }
    else if (c < 0x800) { b[0] = (unsigned char)(0xC0 | (c >> 6)); b[1] = (unsigned char)(0x80 | (c & 0x3F)); len = 2; }
    else if (c < 0x10000) {
      b[0] = (unsigned char)(0xE0 | (c >> 12)); b[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
      b[2] = (unsigned char)(0x80 | (c & 0x3F)); len = 3;
    } else {
      b[0] = (unsigned char)(0xF0 | (c >> 18)); b[1] = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
      b[2] = (unsigned char)(0x80 | ((c >> 6) & 0x3F)); b[3] = (unsigned char)(0x80 | (c & 0x3F)); len = 4;
    }
    if (n + len + 1 > capacity) { out[n] = 0; return false; }
    for (std::size_t k = 0; k < len; ++k) out[n++] = char(b[k]);
  }
  out[n] = 0;
  return true;
}

}  // namespace vexmoor
