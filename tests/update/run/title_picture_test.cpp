#include "update/run/title_picture.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace quillet {
namespace {

void put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}
void put16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v);
  s[at + 1] = static_cast<char>(v >> 8);
}

// A bitmap file: file header, information header of headerSize bytes, colour
// table of `colours` entries (entry i = i,i,i,0), then the pixel rows, each
// byte of the pixel area being its index.
std::string bitmapFile(int width, int height, int bits, int colours, std::uint32_t headerSize = 40) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * bits + 31) / 32 * 4;
  const std::uint32_t rows = static_cast<std::uint32_t>(height < 0 ? -height : height);
  const std::uint32_t offset = 14 + headerSize + 4 * colours;
  std::string s(offset + stride * rows, '\0');
  s[0] = 'B';
  s[1] = 'M';
  put32(s, 2, static_cast<std::uint32_t>(s.size()));
  put32(s, 10, offset);
  put32(s, 14, headerSize);
  put32(s, 18, static_cast<std::uint32_t>(width));
  put32(s, 22, static_cast<std::uint32_t>(height));
  put16(s, 26, 1);
  put16(s, 28, static_cast<std::uint16_t>(bits));
  for (int i = 0; i < colours; ++i) {
    const std::size_t at = 14 + headerSize + 4 * i;
    s[at] = s[at + 1] = s[at + 2] = static_cast<char>(i);
  }
  for (std::size_t i = offset; i < s.size(); ++i) s[i] = static_cast<char>((i - offset) & 0xFF);
  return s;
}

TEST(TitlePicture, EightBitPictureKeepsHeaderAnd1024BytesOfColourTable) {
  const std::string file = bitmapFile(10, 4, 8, 256);
  TitlePicture picture;
  ASSERT_TRUE(parseTitlePicture(file, &picture));
  ASSERT_EQ(picture.description.size(), 40u + 1024u);
  EXPECT_EQ(std::string(picture.description.begin(), picture.description.begin() + 40),
            file.substr(14, 40));
  EXPECT_EQ(picture.description[40 + 4 * 200], 200);
  EXPECT_EQ(picture.description[40 + 4 * 200 + 3], 0);
  ASSERT_EQ(picture.bits.size(), 12u * 4u);
  EXPECT_EQ(std::string(picture.bits.begin(), picture.bits.end()), file.substr(14 + 40 + 1024));
  EXPECT_EQ(picture.width, 10);
  EXPECT_EQ(picture.height, 4);
}

TEST(TitlePicture, TwentyFourBitPictureHasNoColourTable) {
  const std::string file = bitmapFile(3, 2, 24, 0);
  TitlePicture picture;
  ASSERT_TRUE(parseTitlePicture(file, &picture));
  ASSERT_EQ(picture.description.size(), 44u);
  EXPECT_EQ(picture.description[40], 0);
  EXPECT_EQ(picture.bits.size(), 2u * 12u);
}

TEST(TitlePicture, FourBitTableIsSixteenEntries) {
  TitlePicture picture;
  ASSERT_TRUE(parseTitlePicture(bitmapFile(8, 8, 4, 16), &picture));
  EXPECT_EQ(picture.description.size(), 40u + 64u);
}

TEST(TitlePicture, ColourTableFollowsALongerHeader) {
  const std::string file = bitmapFile(4, 1, 8, 256, 124);
  TitlePicture picture;
  ASSERT_TRUE(parseTitlePicture(file, &picture));
  EXPECT_EQ(picture.description[0], 40) << "the description says plain header";
  EXPECT_EQ(picture.description[40 + 4 * 7], 7);
}

// The drawing code takes as many colours from the description as the header's
// colour count says; that count must never reach past the block.
TEST(TitlePicture, ColourCountNeverReachesPastTheDescription) {
  std::string trueColour = bitmapFile(3, 2, 24, 256);
  put32(trueColour, 46, 256);  // an optional palette for a 24-bit picture
  TitlePicture picture;
  ASSERT_TRUE(parseTitlePicture(trueColour, &picture));
  ASSERT_EQ(picture.description.size(), 44u);
  EXPECT_EQ(picture.description[32] | picture.description[33] << 8, 0);
  EXPECT_EQ(std::string(picture.bits.begin(), picture.bits.end()), trueColour.substr(14 + 40 + 1024));

  std::string fourBit = bitmapFile(8, 8, 4, 16);
  put32(fourBit, 46, 256);  // more colours than four bits can index
  ASSERT_TRUE(parseTitlePicture(fourBit, &picture));
  ASSERT_EQ(picture.description.size(), 40u + 64u);
  EXPECT_EQ(picture.description[32] | picture.description[33] << 8, 0) << "the whole table";

  std::string fewColours = bitmapFile(8, 8, 8, 16);
  put32(fewColours, 46, 16);  // a short table is kept as the header says
  ASSERT_TRUE(parseTitlePicture(fewColours, &picture));
  EXPECT_EQ(picture.description[32], 16);
  EXPECT_EQ(picture.description[40 + 4 * 15], 15);
}

TEST(TitlePicture, ShortColourTableAndShortBitsArePaddedWithZeros) {
  std::string file = bitmapFile(16, 16, 8, 256);
  const std::uint32_t declared = static_cast<std::uint32_t>(file.size());
  file.resize(file.size() - 100);  // the file ends early; its header says otherwise
  put32(file, 2, declared);
  TitlePicture picture;
  ASSERT_TRUE(parseTitlePicture(file, &picture));
  ASSERT_EQ(picture.bits.size(), 256u);
  EXPECT_EQ(picture.bits[155], 155);
  EXPECT_EQ(picture.bits[156], 0);
  EXPECT_EQ(picture.bits[255], 0);
}

TEST(TitlePicture, FileSizeFieldBelowTheBitsOffsetIsRejected) {
  std::string file = bitmapFile(4, 4, 24, 0);
  put32(file, 2, 20);
  TitlePicture picture;
  EXPECT_FALSE(parseTitlePicture(file, &picture));
  EXPECT_FALSE(picture.loaded());
}

TEST(TitlePicture, SmallFileSizeFieldStillGivesFullSizeBits) {
  std::string file = bitmapFile(4, 4, 24, 0);
  put32(file, 2, 54 + 10);  // only 10 bytes of bits counted
  TitlePicture picture;
  ASSERT_TRUE(parseTitlePicture(file, &picture));
  ASSERT_EQ(picture.bits.size(), 48u);
  EXPECT_EQ(picture.bits[9], 9);
  EXPECT_EQ(picture.bits[10], 0);
}

TEST(TitlePicture, TopDownPictureIsKeptWithPositiveHeight) {
  TitlePicture picture;
  ASSERT_TRUE(parseTitlePicture(bitmapFile(4, -3, 32, 0), &picture));
  EXPECT_EQ(picture.height, 3);
  EXPECT_EQ(picture.bits.size(), 48u);
  EXPECT_EQ(static_cast<std::int8_t>(picture.description[11]), -1) << "the header stays top-down";
}

TEST(TitlePicture, UndrawableHeadersAreRejected) {
  TitlePicture picture;
  EXPECT_FALSE(parseTitlePicture("", &picture));
  EXPECT_FALSE(parseTitlePicture(std::string(53, '\0'), &picture));
  std::string compressed = bitmapFile(4, 4, 8, 256);
  put32(compressed, 30, 1);  // run-length encoded
  EXPECT_FALSE(parseTitlePicture(compressed, &picture));
  std::string oddBits = bitmapFile(4, 4, 24, 0);
  put16(oddBits, 28, 7);
  EXPECT_FALSE(parseTitlePicture(oddBits, &picture));
  std::string noWidth = bitmapFile(4, 4, 24, 0);
  put32(noWidth, 18, 0);
  EXPECT_FALSE(parseTitlePicture(noWidth, &picture));
  std::string huge = bitmapFile(4, 4, 24, 0);
  put32(huge, 18, 100000);
  put32(huge, 22, 100000);
  EXPECT_FALSE(parseTitlePicture(huge, &picture));
  std::string shortHeader = bitmapFile(4, 4, 24, 0);
  put32(shortHeader, 14, 12);
  EXPECT_FALSE(parseTitlePicture(shortHeader, &picture));
  EXPECT_FALSE(picture.loaded());
}

}  // namespace
}  // namespace quillet
