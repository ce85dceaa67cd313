// Mirroring of 1-, 2- and 8-bit rows through the scratch buffer.
#include "raster/encode/mirror.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace vexmoor {
namespace {

using Bytes = std::vector<std::uint8_t>;

int pixel(const Bytes& row, std::size_t offset, int x, int bpp) {
  const int bit = x * bpp;
  return (row[offset + static_cast<std::size_t>(bit / 8)] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1);
}

void setPixel(Bytes& row, std::size_t offset, int x, int bpp, int value) {
  const int bit = x * bpp;
  row[offset + static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(value << (8 - bpp - bit % 8));
}

// Pixel by pixel: x goes to pageWidth - 1 - x, the rest of the row is 0.
Bytes slowMirror(const Bytes& plane, int rows, int rowLength, int pageWidth, int bpp) {
  Bytes out(plane.size(), 0);
  for (int r = 0; r < rows; ++r) {
    const std::size_t offset = static_cast<std::size_t>(r * rowLength);
    for (int x = 0; x < pageWidth; ++x) setPixel(out, offset, pageWidth - 1 - x, bpp, pixel(plane, offset, x, bpp));
  }
  return out;
}

TEST(Mirror, OneBitRowOfTenPixels) {
  Bytes plane = {0xA0, 0x00, 0x00, 0x00}, scratch(4, 0x5A);
  mirrorPlane(plane.data(), scratch.data(), 1, 4, 10, 1, plane.size());
  EXPECT_EQ(plane, (Bytes{0x01, 0x40, 0x00, 0x00}));  // pixels 9 and 7
}

TEST(Mirror, SixteenPixelsReverseWholeBytesBitReversed) {
  Bytes plane = {0x12, 0xF0, 0x77, 0x77}, scratch(4);
  mirrorPlane(plane.data(), scratch.data(), 1, 4, 16, 1, plane.size());
  EXPECT_EQ(plane, (Bytes{0x0F, 0x48, 0x00, 0x00}));
}

TEST(Mirror, TwoBitPairsKeepTheirOwnOrder) {
  // Pixels 1, 2, 3, 0, 2 (values) at 2 bits: 01 10 11 00 | 10 ...
  Bytes plane = {0x6C, 0x80, 0x00, 0x00}, scratch(4);
  mirrorPlane(plane.data(), scratch.data(), 1, 4, 5, 2, plane.size());
  // Reversed: 2, 0, 3, 2, 1 -> 10 00 11 10 | 01
  EXPECT_EQ(plane, (Bytes{0x8E, 0x40, 0x00, 0x00}));
}

TEST(Mirror, EightBitReversesBytes) {
  Bytes plane = {1, 2, 3, 4, 5, 6, 7, 8}, scratch(8);
  mirrorPlane(plane.data(), scratch.data(), 1, 8, 6, 8, plane.size());
  EXPECT_EQ(plane, (Bytes{6, 5, 4, 3, 2, 1, 0, 0}));
}

TEST(Mirror, OtherBitDepthsLeaveThePlaneAlone) {
  Bytes plane = {1, 2, 3, 4}, scratch(4);
  mirrorPlane(plane.data(), scratch.data(), 1, 4, 8, 4, plane.size());
  EXPECT_EQ(plane, (Bytes{1, 2, 3, 4}));
}

TEST(Mirror, MatchesPixelByPixelMirroringForEveryWidth) {
  std::mt19937 rng(17);
  for (int bpp : {1, 2, 8}) {
    for (int rowLength : {4, 8, 12, 20, 36, 100}) {
      const int rowPixels = rowLength * 8 / bpp;
      for (int pageWidth = 0; pageWidth <= rowPixels; ++pageWidth) {
        const int rows = 3;
        Bytes plane(static_cast<std::size_t>(rows * rowLength));
        for (auto& b : plane) b = static_cast<std::uint8_t>(rng());
        const Bytes want = slowMirror(plane, rows, rowLength, pageWidth, bpp);
        Bytes scratch(plane.size(), 0xEE);
        mirrorPlane(plane.data(), scratch.data(), rows, rowLength, pageWidth, bpp, plane.size());
        ASSERT_EQ(plane, want) << "bpp " << bpp << " row " << rowLength << " width " << pageWidth;
      }
    }
  }
}

// Each way of reversing bytes the processor has, on rows of every length up
// to 200 bytes at every alignment of source and destination (each at the end
// of its own allocation), against pixel-by-pixel mirroring. Some rows have
// blank stretches, which the wide paths pass through.
TEST(Mirror, EveryPathMatchesPixelByPixelAtEveryLengthAndAlignment) {
  std::mt19937 rng(15);
  for (int bpp : {1, 2, 8}) {
    for (int rowLength = 1; rowLength <= 200; ++rowLength) {
      const int rowPixels = rowLength * 8 / bpp;
      Bytes row(static_cast<std::size_t>(rowLength));
      for (std::size_t k = 0; k < row.size(); ++k) row[k] = (k / 64 + rowLength) % 3 == 0 ? 0 : static_cast<std::uint8_t>(rng());
      for (int pageWidth : {rowPixels, rowPixels - 1, rowPixels - 5, rowPixels / 2}) {
        if (pageWidth < 0) continue;
        const Bytes want = slowMirror(row, 1, rowLength, pageWidth, bpp);
        for (MirrorPath path : {MirrorPath::kPlain, MirrorPath::kSse2, MirrorPath::kSsse3, MirrorPath::kAvx2}) {
          if (!mirrorPathAvailable(path)) continue;
          for (std::size_t align = 0; align < 16; ++align) {
            Bytes src(align + row.size()), dst((align * 7) % 16 + row.size(), 0xEE);
            std::copy(row.begin(), row.end(), src.begin() + static_cast<long>(align));
            std::uint8_t* to = dst.data() + (align * 7) % 16;
            mirrorRowUsing(path, src.data() + align, to, rowLength, pageWidth, bpp);
            ASSERT_EQ(Bytes(to, to + rowLength), want) << "path " << static_cast<int>(path) << " bpp " << bpp
                                                       << " row " << rowLength << " width " << pageWidth;
          }
        }
      }
    }
  }
}

TEST(Mirror, IntoAnotherBufferEqualsCopyingThenMirroring) {
  std::mt19937 rng(5);
  for (int bpp : {1, 2, 4, 8}) {
    Bytes src(3 * 36);
    for (auto& b : src) b = static_cast<std::uint8_t>(rng());
    Bytes into(src.size(), 0xEE), copied = src, scratch(src.size());
    mirrorPlaneInto(src.data(), into.data(), 3, 36, 36 * 8 / bpp - 3, bpp);
    mirrorPlane(copied.data(), scratch.data(), 3, 36, 36 * 8 / bpp - 3, bpp, copied.size());
    EXPECT_EQ(into, copied) << bpp;
  }
}

TEST(Mirror, MirroringTwiceRestoresThePage) {
  std::mt19937 rng(4);
  Bytes plane(9600 * 4);
  for (auto& b : plane) b = static_cast<std::uint8_t>(rng());
  // The last 13 bits of each row lie after the page and come back as 0.
  const int pageWidth = 9600 * 8 - 13;
  for (int r = 0; r < 4; ++r) {
    plane[static_cast<std::size_t>(r * 9600 + 9599)] = 0;
    plane[static_cast<std::size_t>(r * 9600 + 9598)] &= 0xE0;
  }
  const Bytes original = plane;
  Bytes scratch(plane.size());
  mirrorPlane(plane.data(), scratch.data(), 4, 9600, pageWidth, 1, plane.size());
  EXPECT_NE(plane, original);
  mirrorPlane(plane.data(), scratch.data(), 4, 9600, pageWidth, 1, plane.size());
  EXPECT_EQ(plane, original);
}

TEST(Mirror, StaysInsideCapacityAndRow) {
  // Capacity for two of three rows: the third row is left alone.
  Bytes plane = {0x80, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0, 0, 0};
  Bytes scratch(8, 0);
  mirrorPlane(plane.data(), scratch.data(), 3, 4, 32, 1, 8);
  EXPECT_EQ(plane, (Bytes{0, 0, 0, 1, 0, 0, 0, 1, 0x80, 0, 0, 0}));
  // A page wider than the row is cut to the row.
  Bytes wide = {0x80, 0, 0, 0};
  Bytes scratch2(4);
  mirrorPlane(wide.data(), scratch2.data(), 1, 4, 1000, 1, wide.size());
  EXPECT_EQ(wide, (Bytes{0, 0, 0, 1}));
}

}  // namespace
}  // namespace vexmoor
