#include "raster/encode/copy_combine.h"

namespace vexmoor {

void combinePackedRow(std::uint8_t* row, std::size_t rowBytes, const std::uint8_t* data, std::size_t n,
                      std::uint64_t bitPos) {
  const std::uint64_t first = bitPos / 8;
  if (n == 0 || first >= rowBytes) return;
  // Band bytes from `first` on; only those below rowBytes are touched.
  const std::size_t room = std::size_t(rowBytes - first);
  std::uint8_t* out = row + first;
  const unsigned s = unsigned(bitPos % 8);
  if (s == 0) {
    const std::size_t count = n < room ? n : room;
    for (std::size_t k = 0; k < count; ++k) out[k] ^= data[k];
    return;
  }
  out[0] |= std::uint8_t(data[0] >> s);
  const std::size_t last = n < room ? n : room;  // band bytes 1 .. last - 1 take two data bytes each
  for (std::size_t k = 1; k < last; ++k)
    out[k] ^= std::uint8_t((data[k - 1] << (8 - s)) | (data[k] >> s));
  if (n < room) out[n] ^= std::uint8_t(data[n - 1] << (8 - s));
}

void xorByteRow(std::uint8_t* row, std::size_t rowBytes, const std::uint8_t* data, std::size_t n,
                std::uint64_t bytePos) {
  if (bytePos >= rowBytes) return;
  const std::size_t room = std::size_t(rowBytes - bytePos);
  const std::size_t count = n < room ? n : room;
  std::uint8_t* out = row + bytePos;
  for (std::size_t k = 0; k < count; ++k) out[k] ^= data[k];
}

void widenBits1To2(std::uint8_t* data, std::size_t outBytes) {
  static constexpr std::uint8_t kWiden[16] = {0x00, 0x03, 0x0C, 0x0F, 0x30, 0x33, 0x3C, 0x3F,
                                              0xC0, 0xC3, 0xCC, 0xCF, 0xF0, 0xF3, 0xFC, 0xFF};
  // From the end, so that no source byte is overwritten before it is read.
  for (std::size_t k = outBytes / 2; k-- > 0;) {
    const std::uint8_t b = data[k];
    data[2 * k] = kWiden[b >> 4];
    data[2 * k + 1] = kWiden[b & 0x0F];
  }
}

void widenBits1To8(std::uint8_t* data, std::size_t outBytes) {
  for (std::size_t k = outBytes / 8; k-- > 0;) {
    const std::uint8_t b = data[k];
    for (int bit = 7; bit >= 0; --bit) data[8 * k + std::size_t(7 - bit)] = (b >> bit) & 1 ? 0xFF : 0x00;
  }
}

}  // namespace vexmoor
