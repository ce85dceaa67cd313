#include "tools/rtlview/png_writer.h"

#include <cstdio>

namespace rtlview {
namespace {

std::uint32_t crcTable(int n) {
  std::uint32_t c = static_cast<std::uint32_t>(n);
  for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  return c;
}

class Crc32 {
 public:
  Crc32() {
    for (int n = 0; n < 256; ++n) table_[n] = crcTable(n);
  }
  std::uint32_t update(std::uint32_t crc, const std::uint8_t* p, std::size_t n) const {
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) crc = table_[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
  }

 private:
  std::uint32_t table_[256];
};

void putBig32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  v.push_back(static_cast<std::uint8_t>(x >> 24));
  v.push_back(static_cast<std::uint8_t>(x >> 16));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
  v.push_back(static_cast<std::uint8_t>(x));
}

bool writeChunk(std::FILE* f, const Crc32& crc, const char* type, const std::uint8_t* data, std::size_t n) {
  std::vector<std::uint8_t> head;
  putBig32(head, static_cast<std::uint32_t>(n));
  head.insert(head.end(), type, type + 4);
  std::uint32_t c = crc.update(0, head.data() + 4, 4);
  c = crc.update(c, data, n);
  std::vector<std::uint8_t> tail;
  putBig32(tail, c);
  return std::fwrite(head.data(), 1, head.size(), f) == head.size() && (n == 0 || std::fwrite(data, 1, n, f) == n) &&
         std::fwrite(tail.data(), 1, 4, f) == 4;
}

}  // namespace

bool writePng(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height) {
  const Crc32 crc;
  // Scanlines with filter byte 0.
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> raw;
  raw.reserve((stride + 1) * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + static_cast<std::ptrdiff_t>(y * stride),
               rgb.begin() + static_cast<std::ptrdiff_t>((y + 1) * stride));
  }
  // zlib stream of stored blocks.
  std::vector<std::uint8_t> z = {0x78, 0x01};
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  std::size_t pos = 0;
  do {
    const std::size_t n = raw.size() - pos > 65535 ? 65535 : raw.size() - pos;
    const bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n));
    z.push_back(static_cast<std::uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  putBig32(z, (b << 16) | a);

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  putBig32(ihdr, width);
  putBig32(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter choice, no interlace
  bool ok = std::fwrite(signature, 1, 8, f) == 8 && writeChunk(f, crc, "IHDR", ihdr.data(), ihdr.size());
  for (std::size_t at = 0; ok && at < z.size(); at += 1 << 20) {
    const std::size_t n = z.size() - at > (1u << 20) ? (1u << 20) : z.size() - at;
    ok = writeChunk(f, crc, "IDAT", z.data() + at, n);
  }
  ok = ok && writeChunk(f, crc, "IEND", nullptr, 0);
  return std::fclose(f) == 0 && ok;
}

}  // namespace rtlview
