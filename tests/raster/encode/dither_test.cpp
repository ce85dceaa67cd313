// The module's own dither and its in-place helpers.
#include "raster/encode/dither.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace vexmoor {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct MatrixDeleter {
  void operator()(DitherMatrix* m) const { freeDitherMatrix(m); }
};
using Matrix = std::unique_ptr<DitherMatrix, MatrixDeleter>;

Matrix make(int w, int h, int s, const std::vector<std::int16_t>& t) {
  return Matrix(createDitherMatrix(w, h, s, t.data()));
}

bool bit(const Bytes& row, std::size_t offset, int x) {
  return (row[offset + static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1;
}

// A 4 x 4 matrix where only column 0 always prints: the first dot of a row
// shows where the row starts in the matrix.
std::vector<std::int16_t> columnZeroOnly() {
  std::vector<std::int16_t> t(16, 300);
  for (int r = 0; r < 4; ++r) t[r * 4] = -1;
  return t;
}

TEST(Dither, TilingShiftsOneColumnPerRepetition) {
  Matrix m = make(4, 4, 1, columnZeroOnly());
  ASSERT_TRUE(m);
  const int width = 8, lines = 12, rowLength = 4;
  Bytes samples(static_cast<std::size_t>(width * lines), 128), out(static_cast<std::size_t>(rowLength * lines), 0);
  ditherBand(*m, samples.data(), width, lines, out.data(), rowLength, 0, false);
  // Start columns 0, 3, 2: the dot falls on the pixel x with (start + x) % 4 == 0.
  const int firstDot[3] = {0, 1, 2};
  for (int row = 0; row < lines; ++row) {
    for (int x = 0; x < width; ++x)
      EXPECT_EQ(bit(out, static_cast<std::size_t>(row * rowLength), x), x % 4 == firstDot[row / 4])
          << "row " << row << " pixel " << x;
  }
  EXPECT_EQ(m->rowCounter, 12);
}

TEST(Dither, OneRowBandsGiveTheSameDotsAsOneBand) {
  std::mt19937 rng(5);
  std::vector<std::int16_t> t(7 * 5);
  for (auto& v : t) v = static_cast<std::int16_t>(rng() % 256);
  Matrix whole = make(7, 5, 3, t), pieces = make(7, 5, 3, t);
  const int width = 50, lines = 37, rowLength = 8;
  Bytes samples(static_cast<std::size_t>(width * lines));
  for (auto& s : samples) s = static_cast<std::uint8_t>(rng());
  Bytes a(static_cast<std::size_t>(rowLength * lines), 0), b(a.size(), 0);
  ditherBand(*whole, samples.data(), width, lines, a.data(), rowLength, 5, false);
  for (int row = 0; row < lines; ++row)
    ditherBand(*pieces, samples.data() + row * width, width, 1, b.data() + row * rowLength, rowLength, 5, false);
  EXPECT_EQ(a, b);
  EXPECT_EQ(whole->rowCounter, pieces->rowCounter);
}

TEST(Dither, ThresholdComparisonIsSignedAndInclusive) {
  // One row of four pixels against thresholds 100, 101, 256, -5.
  Matrix m = make(4, 1, 0, {100, 101, 256, -5});
  Bytes samples = {100, 100, 255, 0}, out(4, 0);
  ditherBand(*m, samples.data(), 4, 1, out.data(), 4, 0, false);
  EXPECT_EQ(out[0], 0x90);  // pixel 0 (equal) and pixel 3 (negative threshold)
}

TEST(Dither, LeftOffsetPlacesTheImageAndClearsTheFirstByte) {
  Matrix m = make(1, 1, 0, {0});
  Bytes samples = {255};
  Bytes out(4, 0xFF);
  ditherBand(*m, samples.data(), 1, 1, out.data(), 4, 3, false);
  EXPECT_EQ(out[0], 0x10);  // bit 3 set, bits 0 to 2 cleared, bits after the image 0
  EXPECT_EQ(out[1], 0xFF);  // untouched
  out.assign(4, 0xFF);
  ditherBand(*m, samples.data(), 1, 1, out.data(), 4, 11, false);
  EXPECT_EQ(out[0], 0xFF);
  EXPECT_EQ(out[1], 0x10);
  EXPECT_EQ(out[2], 0xFF);
}

TEST(Dither, MirrorTakesSamplesFromTheRight) {
  Matrix m = make(1, 1, 0, {128});
  Bytes samples = {255, 255, 0, 0, 0, 0, 0, 0, 0, 255};
  Bytes out(4, 0), mirrored(4, 0);
  ditherBand(*m, samples.data(), 10, 1, out.data(), 4, 0, false);
  ditherBand(*m, samples.data(), 10, 1, mirrored.data(), 4, 0, true);
  EXPECT_EQ(out[0], 0xC0);
  EXPECT_EQ(out[1], 0x40);
  EXPECT_EQ(mirrored[0], 0x80);
  EXPECT_EQ(mirrored[1], 0xC0);
}

TEST(Dither, NeverWritesBeyondTheRow) {
  Matrix m = make(1, 1, 0, {0});
  Bytes samples(100, 255);
  Bytes out(12, 0xAA);
  // 100 pixels from pixel 5 do not fit a row of 4 bytes: the rest is cut.
  ditherBand(*m, samples.data(), 100, 1, out.data(), 4, 5, false);
  EXPECT_EQ(out[0], 0x07);
  EXPECT_EQ(out[3], 0xFF);
  for (std::size_t k = 4; k < out.size(); ++k) EXPECT_EQ(out[k], 0xAA);
  // An offset beyond the row writes nothing.
  Bytes far(4, 0xAA);
  ditherBand(*m, samples.data(), 10, 1, far.data(), 4, 40, false);
  EXPECT_EQ(far, Bytes(4, 0xAA));
}

TEST(Dither, PhaseCarriesAcrossCallsWithALargeRowCounter) {
  Matrix m = make(4, 4, 1, columnZeroOnly());
  m->rowCounter = 4 * 1000003;  // repetitions x shift far beyond the matrix width
  Bytes samples(8, 0), out(4, 0);
  ditherBand(*m, samples.data(), 8, 1, out.data(), 4, 0, false);
  // Start column (4 - 1000003 % 4) % 4 = 1: dots where (1 + x) % 4 == 0.
  EXPECT_EQ(out[0], 0x11);
}

// Pixel by pixel, as the screening is described: column phase from the row
// counter, one comparison per pixel, bits from pixel leftOffset on.
void slowDither(DitherMatrix& m, const Bytes& samples, int width, int lines, Bytes& out, int rowLength,
                int leftOffset, bool mirror) {
  for (int line = 0; line < lines; ++line) {
    const int r = m.rowCounter % m.height;
    const long long moved = (static_cast<long long>(m.rowCounter / m.height) * m.shift) % m.width;
    const int e = static_cast<int>((m.width - moved) % m.width);
    const std::size_t row = static_cast<std::size_t>(line * rowLength);
    for (int x = 0; x < width && leftOffset + x < rowLength * 8; ++x) {
      const int src = mirror ? width - 1 - x : x;
      const int sample = samples[static_cast<std::size_t>(line * width + src)];
      const bool dot = sample >= m.thresholds[r * m.width + (e + x) % m.width];
      const int bit = leftOffset + x;
      std::uint8_t& b = out[row + static_cast<std::size_t>(bit / 8)];
      b = static_cast<std::uint8_t>(dot ? b | (0x80 >> (bit % 8)) : b & ~(0x80 >> (bit % 8)));
    }
    // The first and last bytes touched are stored whole: bits outside the image are 0.
    const int first = leftOffset, last = std::min(leftOffset + width, rowLength * 8);
    if (last > first) {
      for (int bit = (first / 8) * 8; bit < first; ++bit) out[row + static_cast<std::size_t>(bit / 8)] &= static_cast<std::uint8_t>(~(0x80 >> (bit % 8)));
      for (int bit = last; bit % 8 != 0; ++bit) out[row + static_cast<std::size_t>(bit / 8)] &= static_cast<std::uint8_t>(~(0x80 >> (bit % 8)));
    }
    ++m.rowCounter;
  }
}

TEST(Dither, MatchesPixelByPixelScreening) {
  std::mt19937 rng(8);
  for (int round = 0; round < 300; ++round) {
    const int w = 1 + static_cast<int>(rng() % 20), h = 1 + static_cast<int>(rng() % 9), s = static_cast<int>(rng() % 30);
    std::vector<std::int16_t> t(static_cast<std::size_t>(w * h));
    for (auto& v : t) v = static_cast<std::int16_t>(static_cast<int>(rng() % 300) - 20);
    Matrix fast = make(w, h, s, t), slow = make(w, h, s, t);
    fast->rowCounter = slow->rowCounter = static_cast<int>(rng() % 50);
    const int width = static_cast<int>(rng() % 200), lines = 1 + static_cast<int>(rng() % 5);
    const int rowLength = 4 * (1 + static_cast<int>(rng() % 8)), leftOffset = static_cast<int>(rng() % 40);
    const bool mirror = rng() % 2 == 1;
    Bytes samples(static_cast<std::size_t>(width * lines));
    for (auto& v : samples) v = static_cast<std::uint8_t>(rng());
    Bytes a(static_cast<std::size_t>(rowLength * lines));
    for (auto& v : a) v = static_cast<std::uint8_t>(rng());
    Bytes b = a;
    ditherBand(*fast, samples.data(), width, lines, a.data(), rowLength, leftOffset, mirror);
    slowDither(*slow, samples, width, lines, b, rowLength, leftOffset, mirror);
    ASSERT_EQ(a, b) << "round " << round;
    ASSERT_EQ(fast->rowCounter, slow->rowCounter);
  }
}

// Long rows go through the dither's 16-pixel blocks: matrices narrower and
// wider than a block, every alignment of the left offset, both directions.
TEST(Dither, LongRowsMatchPixelByPixelScreening) {
  std::mt19937 rng(21);
  for (int round = 0; round < 60; ++round) {
    const int w = 1 + static_cast<int>(rng() % 40), h = 1 + static_cast<int>(rng() % 6), s = static_cast<int>(rng() % 50);
    std::vector<std::int16_t> t(static_cast<std::size_t>(w * h));
    for (auto& v : t) v = static_cast<std::int16_t>(static_cast<int>(rng() % 320) - 30);
    Matrix fast = make(w, h, s, t), slow = make(w, h, s, t);
    const int width = 1000 + static_cast<int>(rng() % 3000), lines = 1 + static_cast<int>(rng() % 4);
    const int leftOffset = static_cast<int>(rng() % 24);
    const int rowLength = 4 * ((leftOffset + width + 31) / 32) - 4 * static_cast<int>(rng() % 3);  // sometimes cut
    const bool mirror = round % 2 == 1;
    Bytes samples(static_cast<std::size_t>(width * lines));
    for (auto& v : samples) v = static_cast<std::uint8_t>(rng());
    Bytes a(static_cast<std::size_t>(rowLength * lines), 0x5A), b = a;
    ditherBand(*fast, samples.data(), width, lines, a.data(), rowLength, leftOffset, mirror);
    slowDither(*slow, samples, width, lines, b, rowLength, leftOffset, mirror);
    ASSERT_EQ(a, b) << "round " << round;
  }
}

TEST(DitherMatrixLife, RejectsBadShapesAndKeepsItsOwnCopy) {
  std::vector<std::int16_t> t(6, 7);
  EXPECT_EQ(createDitherMatrix(0, 2, 0, t.data()), nullptr);
  EXPECT_EQ(createDitherMatrix(3, 0, 0, t.data()), nullptr);
  EXPECT_EQ(createDitherMatrix(3, 2, -1, t.data()), nullptr);
  EXPECT_EQ(createDitherMatrix(3, 2, 0, nullptr), nullptr);
  DitherMatrix* m = createDitherMatrix(3, 2, 1, t.data());
  ASSERT_NE(m, nullptr);
  t[0] = 99;
  EXPECT_EQ(m->thresholds[0], 7);
  EXPECT_EQ(m->rowCounter, 0);
  EXPECT_EQ(m->width, 3);
  EXPECT_EQ(m->height, 2);
  EXPECT_EQ(m->shift, 1);
  freeDitherMatrix(m);
  freeDitherMatrix(nullptr);
}

TEST(Narrowing, KeepsTheHighByteOfEachSample) {
  Bytes plane = {0x34, 0x12, 0xCD, 0xAB, 0xFF, 0x00, 0x01, 0x80};
  narrowTo8Bit(plane.data(), 4);
  EXPECT_EQ(plane[0], 0x12);
  EXPECT_EQ(plane[1], 0xAB);
  EXPECT_EQ(plane[2], 0x00);
  EXPECT_EQ(plane[3], 0x80);
}

TEST(Expansion, DoublesEveryBitInPlace) {
  Bytes row = {0xA5, 0x00, 0xFF, 0x00};
  expandRow1To2(row.data(), 4, 16);
  EXPECT_EQ(row, (Bytes{0xCC, 0x33, 0x00, 0x00}));
  Bytes full = {0xA5, 0xF0, 0x77, 0x77};
  expandRow1To2(full.data(), 4, 16);
  EXPECT_EQ(full, (Bytes{0xCC, 0x33, 0xFF, 0x00}));
}

TEST(Expansion, ClearsTheBytesAfterThePageBeforeWidening) {
  // pageWidth 9 uses two bytes of the 1-bit half; bytes 2 and 3 are cleared.
  Bytes row = {0xFF, 0x80, 0x12, 0x34, 0x55, 0x55, 0x55, 0x55};
  expandRow1To2(row.data(), 8, 9);
  EXPECT_EQ(row, (Bytes{0xFF, 0xFF, 0xC0, 0x00, 0, 0, 0, 0}));
}

TEST(Expansion, MatchesAPixelByPixelWidening) {
  std::mt19937 rng(11);
  for (int rowLength : {8, 16, 40, 1200}) {
    Bytes row(static_cast<std::size_t>(rowLength));
    for (auto& b : row) b = static_cast<std::uint8_t>(rng());
    const int pageWidth = rowLength * 4;  // every 1-bit byte of the first half is used
    Bytes want(row.size(), 0);
    for (int x = 0; x < pageWidth; ++x) {
      const bool dot = (row[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
      if (dot) want[static_cast<std::size_t>(x / 4)] |= static_cast<std::uint8_t>(3 << (6 - 2 * (x % 4)));
    }
    expandRow1To2(row.data(), rowLength, pageWidth);
    EXPECT_EQ(row, want) << rowLength;
  }
}

}  // namespace
}  // namespace vexmoor
