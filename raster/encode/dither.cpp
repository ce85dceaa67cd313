#include "raster/encode/dither.h"

#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vexmoor {
namespace {

// Columns read at once: two bytes of output.
constexpr int kBlock = 16;

// Column of the matrix where a row starts: the tiling moves S columns to the
// left for every repetition of the matrix downward.
int columnPhase(const DitherMatrix& m) {
  const long long repetitions = m.rowCounter / m.height;
  const long long moved = (repetitions * m.shift) % m.width;
  return static_cast<int>((m.width - moved) % m.width);
}

std::size_t unrolledRowSize(const DitherMatrix& m) { return 2 * (static_cast<std::size_t>(m.width) + kBlock); }

// Bit b of the index becomes bit 7 - b: a mask of pixels in lane order
// becomes an output byte, first pixel in the most significant bit.
struct BitReversal {
  std::uint8_t table[256];
  constexpr BitReversal() : table() {
    for (int i = 0; i < 256; ++i) {
      int r = 0;
      for (int b = 0; b < 8; ++b) r |= ((i >> b) & 1) << (7 - b);
      table[i] = static_cast<std::uint8_t>(r);
    }
  }
};
constexpr BitReversal kReversed;

// Dots of 16 pixels, bit k for the k-th pixel in output order. Forward,
// `s` is the first of 16 samples and `t` its 16 thresholds; mirrored, `s`
// is the last of 16 samples (read backward) and `t` the 16 thresholds in
// reverse order, so that lane j of both belongs together either way.
inline unsigned laneDots(const std::uint8_t* s, const std::int16_t* t) {
#if defined(__SSE2__)
  const __m128i samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_unpacklo_epi8(samples, zero), high = _mm_unpackhi_epi8(samples, zero);
  // No dot where the threshold is above the sample (signed 16-bit compare).
  const __m128i noDotLow = _mm_cmpgt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)), low);
  const __m128i noDotHigh = _mm_cmpgt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + 8)), high);
  return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(noDotLow, noDotHigh))) & 0xFFFFu;
#else
  unsigned dots = 0;
  for (int j = 0; j < kBlock; ++j) dots |= (static_cast<int>(s[j]) >= t[j] ? 1u : 0u) << j;
  return dots;
#endif
}

// Screens one row: `count` pixels from bit `leftOffset` of `row`, samples
// from `s` stepping by `step`, thresholds from matrix row `unrolled` at
// column `phase`.
void ditherRow(const std::int16_t* unrolled, int matrixWidth, int phase, const std::uint8_t* s, int step, int count,
               std::uint8_t* row, int leftOffset) {
  const std::int16_t* forward = unrolled;
  const std::int16_t* reversed = unrolled + matrixWidth + kBlock;
  const int advance = kBlock % matrixWidth;  // column step of one block, wrapped once
  std::uint8_t* dst = row + leftOffset / 8;
  unsigned acc = 0;
  int bits = leftOffset % 8;
  int c = phase;
  int x = 0;
  auto onePixel = [&] {
    acc = (acc << 1) | (static_cast<int>(*s) >= forward[c] ? 1u : 0u);
    s += step;
    if (++c == matrixWidth) c = 0;
    if (++bits == 8) {
      *dst++ = static_cast<std::uint8_t>(acc);
      acc = 0;
      bits = 0;
    }
  };
  // Up to the first byte boundary one pixel at a time, then 16 at a time.
  while (bits != 0 && x < count) onePixel(), ++x;
  if (step > 0) {
    for (; count - x >= kBlock; x += kBlock, s += kBlock) {
      const unsigned dots = laneDots(s, forward + c);
      dst[0] = kReversed.table[dots & 0xFF];
      dst[1] = kReversed.table[dots >> 8];
      dst += 2;
      if ((c += advance) >= matrixWidth) c -= matrixWidth;
    }
  } else {
    for (; count - x >= kBlock; x += kBlock, s -= kBlock) {
      // Lane j holds the pixel x + 15 - j: the high lanes come first.
      const unsigned dots = laneDots(s - (kBlock - 1), reversed + (matrixWidth - c));
      dst[0] = static_cast<std::uint8_t>(dots >> 8);
      dst[1] = static_cast<std::uint8_t>(dots);
      dst += 2;
      if ((c += advance) >= matrixWidth) c -= matrixWidth;
    }
  }
  while (x < count) onePixel(), ++x;
  if (bits != 0) *dst = static_cast<std::uint8_t>(acc << (8 - bits));
}

}  // namespace

DitherMatrix* createDitherMatrix(int width, int height, int shift, const std::int16_t* thresholds) {
  if (width <= 0 || height <= 0 || shift < 0 || thresholds == nullptr) return nullptr;
  const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  auto* m = new (std::nothrow) DitherMatrix{0, width, height, shift, nullptr, nullptr};
  if (m == nullptr) return nullptr;
  m->thresholds = new (std::nothrow) std::int16_t[cells];
  m->unrolled = new (std::nothrow) std::int16_t[unrolledRowSize(*m) * static_cast<std::size_t>(height)];
  if (m->thresholds == nullptr || m->unrolled == nullptr) {
    freeDitherMatrix(m);
    return nullptr;
  }
  std::memcpy(m->thresholds, thresholds, cells * sizeof(std::int16_t));
  const std::size_t length = static_cast<std::size_t>(width) + kBlock;
  for (int r = 0; r < height; ++r) {
    const std::int16_t* from = m->thresholds + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
    std::int16_t* to = m->unrolled + static_cast<std::size_t>(r) * unrolledRowSize(*m);
    for (std::size_t j = 0, column = 0; j < length; ++j) {
      to[j] = to[2 * length - 1 - j] = from[column];
      if (++column == static_cast<std::size_t>(width)) column = 0;
    }
  }
  return m;
}

void freeDitherMatrix(DitherMatrix* m) {
  if (m == nullptr) return;
  delete[] m->thresholds;
  delete[] m->unrolled;
  delete m;
}

void ditherBand(DitherMatrix& m, const std::uint8_t* samples, int width, int lines,
                std::uint8_t* out, int rowLength, int leftOffset, bool mirror) {
  if (width < 0 || lines <= 0 || rowLength <= 0 || leftOffset < 0) return;
  int r = m.rowCounter % m.height;
  int phase = columnPhase(m);
  const long long rowBits = static_cast<long long>(rowLength) * 8;
  // Pixels that fall beyond the row are not screened.
  long long last = static_cast<long long>(leftOffset) + width;
  if (last > rowBits) last = rowBits;
  const int count = last > leftOffset ? static_cast<int>(last - leftOffset) : 0;
  for (int line = 0; line < lines; ++line) {
    const std::uint8_t* src = samples + static_cast<std::size_t>(line) * static_cast<std::size_t>(width);
    std::uint8_t* row = out + static_cast<std::size_t>(line) * static_cast<std::size_t>(rowLength);
    if (count > 0)
      ditherRow(m.unrolled + static_cast<std::size_t>(r) * unrolledRowSize(m), m.width, phase,
                mirror ? src + (width - 1) : src, mirror ? -1 : 1, count, row, leftOffset);
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
