#include "raster/encode/dither.h"

#include <cstring>
#include <new>

namespace vexmoor {
namespace {

// Column of the matrix where a row starts: the tiling moves S columns to the
// left for every repetition of the matrix downward.
int columnPhase(const DitherMatrix& m) {
  const long long repetitions = m.rowCounter / m.height;
  const long long moved = (repetitions * m.shift) % m.width;
  return static_cast<int>((m.width - moved) % m.width);
}

}  // namespace

DitherMatrix* createDitherMatrix(int width, int height, int shift, const std::int16_t* thresholds) {
  if (width <= 0 || height <= 0 || shift < 0 || thresholds == nullptr) return nullptr;
  const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  auto* m = new (std::nothrow) DitherMatrix{0, width, height, shift, nullptr};
  if (m == nullptr) return nullptr;
  m->thresholds = new (std::nothrow) std::int16_t[cells];
  if (m->thresholds == nullptr) {
    delete m;
    return nullptr;
  }
  std::memcpy(m->thresholds, thresholds, cells * sizeof(std::int16_t));
  return m;
}

void freeDitherMatrix(DitherMatrix* m) {
  if (m == nullptr) return;
  delete[] m->thresholds;
  delete m;
}

void ditherBand(DitherMatrix& m, const std::uint8_t* samples, int width, int lines,
                std::uint8_t* out, int rowLength, int leftOffset, bool mirror) {
  if (width < 0 || lines <= 0 || rowLength <= 0 || leftOffset < 0) return;
  int r = m.rowCounter % m.height;
  int phase = columnPhase(m);
  const long long rowBits = static_cast<long long>(rowLength) * 8;
  for (int line = 0; line < lines; ++line) {
    const std::uint8_t* src = samples + static_cast<std::size_t>(line) * static_cast<std::size_t>(width);
    std::uint8_t* row = out + static_cast<std::size_t>(line) * static_cast<std::size_t>(rowLength);
    const std::int16_t* thresholdRow = m.thresholds + static_cast<std::size_t>(r) * static_cast<std::size_t>(m.width);
    // Pixels that fall beyond the row are not screened.
    long long last = static_cast<long long>(leftOffset) + width;
    if (last > rowBits) last = rowBits;
    const int count = last > leftOffset ? static_cast<int>(last - leftOffset) : 0;
    if (count > 0) {
      std::uint8_t* dst = row + leftOffset / 8;
      unsigned acc = 0;
      int bits = leftOffset % 8;
      int c = phase;
      const int step = mirror ? -1 : 1;
      const std::uint8_t* s = mirror ? src + (width - 1) : src;
      // In stretches that end at the matrix's right edge or at a byte
      // boundary, so that the inner loop tests neither.
      int x = 0;
      while (x < count) {
        if (bits == 0 && c + 8 <= m.width && count - x >= 8) {
          // A whole output byte inside one repetition of the matrix.
          const std::int16_t* t = thresholdRow + c;
          unsigned byte = 0;
          for (int k = 0; k < 8; ++k) byte = (byte << 1) | (static_cast<int>(s[k * step]) >= t[k] ? 1u : 0u);
          *dst++ = static_cast<std::uint8_t>(byte);
          s += 8 * step;
          x += 8;
          c += 8;
          if (c == m.width) c = 0;
          continue;
        }
        int stretch = m.width - c;
        if (stretch > 8 - bits) stretch = 8 - bits;
        if (stretch > count - x) stretch = count - x;
        const std::int16_t* t = thresholdRow + c;
        for (int k = 0; k < stretch; ++k, s += step)
          acc = (acc << 1) | (static_cast<int>(*s) >= t[k] ? 1u : 0u);
        x += stretch;
        c += stretch;
        if (c == m.width) c = 0;
        bits += stretch;
        if (bits == 8) {
          *dst++ = static_cast<std::uint8_t>(acc);
          acc = 0;
          bits = 0;
        }
      }
      if (bits != 0) *dst = static_cast<std::uint8_t>(acc << (8 - bits));
    }
    ++m.rowCounter;
    if (++r == m.height) {
      r = 0;
      phase = columnPhase(m);
    }
  }
}

void narrowTo8Bit(std::uint8_t* plane16, int samples) {
  // The index of the high byte passes the largest int for more than INT_MAX / 2 samples.
  for (std::size_t k = 0, n = samples > 0 ? std::size_t(samples) : 0; k < n; ++k) plane16[k] = plane16[2 * k + 1];
}

void expandRow1To2(std::uint8_t* row, int rowLength, int pageWidth) {
  // Each nibble's four bits become four 2-bit values 0 or 3.
  static constexpr std::uint8_t kWiden[16] = {0x00, 0x03, 0x0C, 0x0F, 0x30, 0x33, 0x3C, 0x3F,
                                              0xC0, 0xC3, 0xCC, 0xCF, 0xF0, 0xF3, 0xFC, 0xFF};
  if (rowLength < 2) return;
  const int half = rowLength / 2;
  const int used = pageWidth > 0 ? (pageWidth + 7) / 8 : 0;
  if (used < half) std::memset(row + used, 0, static_cast<std::size_t>(half - used));
  // From the top down so that no byte is overwritten before it is read.
  for (int k = half - 1; k >= 0; --k) {
    const std::uint8_t b = row[k];
    row[2 * k] = kWiden[b >> 4];
    row[2 * k + 1] = kWiden[b & 0x0F];
  }
}

}  // namespace vexmoor
