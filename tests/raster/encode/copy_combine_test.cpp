// Copy bitmap rows combined into band rows: the OR-then-XOR byte rule at
// every shift, the cut at the row's end, and the in-place widenings. Rows are
// exact-size vectors, so the sanitized build catches any stray access.
#include <gtest/gtest.h>

#include <vector>

#include "raster/encode/copy_combine.h"

namespace vexmoor {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct CombineCase {
  const char* what;
  bool packed;  // combinePackedRow at a bit position, else xorByteRow at a byte position
  std::uint64_t position;
  Bytes data, expected;  // the band row starts as 0x81 in every byte
};

TEST(CopyCombine, ByteRuleAndCut) {
  const CombineCase cases[] = {
      {"x = 13: byte 1 ORed with 0x07, byte 2 XORed with 0xF8, byte 3 with 0x00", true, 13, {0xFF, 0x00},
       {0x81, 0x87, 0x79, 0x81, 0x81}},
      {"on a byte boundary every byte is XORed", true, 16, {0xFF, 0x0F}, {0x81, 0x81, 0x7E, 0x8E, 0x81}},
      {"2-bit pixel 3 (bit 6)", true, 6, {0xCC, 0x00}, {0x83, 0xB1, 0x81, 0x81, 0x81}},
      {"bits past the row are cut", true, 35, {0xFF, 0xFF, 0xFF}, {0x81, 0x81, 0x81, 0x81, 0x9F}},
      {"a row that starts past the end is left alone", true, 40, {0xFF}, {0x81, 0x81, 0x81, 0x81, 0x81}},
      {"an x beyond 32 bits cuts everything", true, 0xFFFFFFF0ull * 2, {0xFF}, {0x81, 0x81, 0x81, 0x81, 0x81}},
      {"8 bits: bytes XORed from byte x", false, 1, {0x01, 0xFF}, {0x81, 0x80, 0x7E, 0x81, 0x81}},
      {"8 bits: cut at the end", false, 3, {0x01, 0x01, 0x01}, {0x81, 0x81, 0x81, 0x80, 0x80}},
  };
  for (const CombineCase& c : cases) {
    Bytes row(5, 0x81);
    if (c.packed)
      combinePackedRow(row.data(), row.size(), c.data.data(), c.data.size(), c.position);
    else
      xorByteRow(row.data(), row.size(), c.data.data(), c.data.size(), c.position);
    EXPECT_EQ(row, c.expected) << c.what;
  }
}

TEST(CopyCombine, OneBitRowsWidenInPlaceFromTheEnd) {
  Bytes two = {0xA1, 0x80, 0x55, 0x55};  // the last two bytes are room, overwritten
  widenBits1To2(two.data(), two.size());
  EXPECT_EQ(two, (Bytes{0xCC, 0x03, 0xC0, 0x00}));
  Bytes eight(16, 0x55);
  eight[0] = 0x81;
  eight[1] = 0x40;
  widenBits1To8(eight.data(), eight.size());
  EXPECT_EQ(eight, (Bytes{0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace vexmoor
