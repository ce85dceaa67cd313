#include <gtest/gtest.h>

#include "update/text/cp932_code_page.h"
#include "update/text/mbcs_text.h"
#include "update/text/utf8_text.h"
#include "update/text/version_text.h"

namespace quillet {
namespace {

// cp932 characters whose second byte is a backslash.
const std::string kHyo = "\x95\x5C";  // 表
const std::string kSo = "\x83\x5C";   // ソ
const std::string kNo = "\x94\x5C";   // 能

class TextTest : public ::testing::Test {
 protected:
  Cp932CodePage cp;
};

TEST_F(TextTest, LeadBytesOfCodePage932) {
  EXPECT_FALSE(cp.isLeadByte(0x80));
  EXPECT_TRUE(cp.isLeadByte(0x81));
  EXPECT_TRUE(cp.isLeadByte(0x9F));
  EXPECT_FALSE(cp.isLeadByte(0xA0));
  EXPECT_FALSE(cp.isLeadByte(0xDF));  // half-width katakana are single bytes
  EXPECT_TRUE(cp.isLeadByte(0xE0));
  EXPECT_TRUE(cp.isLeadByte(0xFC));
  EXPECT_FALSE(cp.isLeadByte(0xFD));
  EXPECT_FALSE(cp.isLeadByte('\\'));
}

TEST_F(TextTest, FileNameOfPlainPaths) {
  EXPECT_EQ(fileNameOf("bin\\a.dll", cp), "a.dll");
  EXPECT_EQ(fileNameOf("a.dll", cp), "a.dll");
  EXPECT_EQ(fileNameOf("bin\\", cp), "");
  EXPECT_EQ(fileNameOf("", cp), "");
  EXPECT_EQ(fileNameOf("a\\b\\c", cp), "c");
}

TEST_F(TextTest, FileNameOfIgnoresBackslashTrailBytes) {
  EXPECT_EQ(fileNameOf(kHyo + ".dll", cp), kHyo + ".dll");
  EXPECT_EQ(fileNameOf("bin\\" + kSo + kNo + ".dll", cp), kSo + kNo + ".dll");
  EXPECT_EQ(fileNameOf("bin\\" + kHyo + "\\x.dll", cp), "x.dll");
  // A name that ends in such a character keeps it whole.
  EXPECT_EQ(fileNameOf("bin\\a" + kHyo, cp), "a" + kHyo);
  EXPECT_EQ(folderOf("C:\\" + kHyo + "\\Quillet.exe", ".", cp), "C:\\" + kHyo);
  EXPECT_EQ(folderOf(kHyo + "Quillet.exe", ".", cp), ".");
}

TEST_F(TextTest, DotSearchAndBoundaryMatchesRespectCharacters) {
  // 0x81 0x2E is not a two-byte character in cp932 (trail bytes start at
  // 0x40), but 0x83 0x2E would be read as lead + '.', so use a real one:
  // "ー" 0x81 0x5B; the dot after it is found.
  EXPECT_EQ(lastCharIndex("a\x81\x5B.js", '.', cp), 3u);
  EXPECT_EQ(lastCharIndex("abc", '.', cp), kNotFound);
  // "QK" inside "\x83QK": 'Q' (0x51) is the trail byte of 0x83 0x51.
  EXPECT_EQ(findOnCharBoundary("\x83QK", "QK", cp), kNotFound);
  EXPECT_EQ(findOnCharBoundary("\x83QQK", "QK", cp), 2u);
  EXPECT_EQ(firstCharIndex(kHyo + "\\", '\\', cp), 2u);
}

TEST_F(TextTest, UpperCasingLeavesTwoByteCharactersAlone) {
  // "ヂ" is 0x83 0x61: its trail byte is the letter 'a'.
  EXPECT_EQ(upperCaseSingleByte("ab\x83\x61z", cp), "AB\x83\x61Z");
  EXPECT_TRUE(equalsIgnoringAsciiCase("LaTeR", "later"));
  EXPECT_FALSE(equalsIgnoringAsciiCase("late", "later"));
}

TEST_F(TextTest, CutToBytesNeverSplitsACharacter) {
  EXPECT_EQ(cutToBytes("abcdef", 4, cp), "abcd");
  EXPECT_EQ(cutToBytes("abc" + kHyo, 4, cp), "abc");
  EXPECT_EQ(cutToBytes("ab" + kHyo, 4, cp), "ab" + kHyo);
  EXPECT_EQ(cutToBytes("ab", 4, cp), "ab");
}

TEST_F(TextTest, VersionTexts) {
  struct Case {
    const char* text;
    int major, minor;
  } cases[] = {
      {"3.10", 3, 10}, {"3.1", 3, 10},  {"3.05", 3, 5},  {"3.123", 3, 12}, {"3", 3, 0},
      {"3,10", 3, 0},  {"", 0, 0},      {" 3.10", 0, 0}, {"2.a5", 2, 0},   {"2.5a", 2, 50},
      {".25", 0, 25},  {"12.99", 12, 99}, {"0010.01", 10, 1},
  };
  for (const Case& c : cases) {
    int major = -1, minor = -1;
    parseVersionParts(c.text, &major, &minor);
    EXPECT_EQ(major, c.major) << c.text;
    EXPECT_EQ(minor, c.minor) << c.text;
  }
  EXPECT_EQ(versionNumberOf("2.05"), 205);
}

TEST_F(TextTest, HugeMajorPartsSaturateInsteadOfOverflowing) {
  int major = 0, minor = 0;
  parseVersionParts("99999999999999999999.99", &major, &minor);
  EXPECT_EQ(major, kMaxVersionMajor);
  EXPECT_EQ(minor, 99);
  EXPECT_EQ(versionNumberOf("99999999999999999999.99"), kMaxVersionMajor * 100 + 99);
  parseVersionParts("21474835.00", &major, &minor);
  EXPECT_EQ(major, 21474835);
  parseVersionParts("21474836", &major, &minor);
  EXPECT_EQ(major, kMaxVersionMajor);
}

TEST_F(TextTest, Cp932ToUtf8) {
  std::string utf8;
  ASSERT_TRUE(cp.toUtf8(kHyo + "\\a", &utf8));
  EXPECT_EQ(utf8, "\xE8\xA1\xA8\\a");  // 表 U+8868, then a real backslash
  ASSERT_TRUE(cp.toUtf8("\xB1", &utf8));
  EXPECT_EQ(utf8, "\xEF\xBD\xB1");  // half-width katakana ｱ U+FF71
  EXPECT_FALSE(cp.toUtf8("\x95", &utf8));  // a lone lead byte
  EXPECT_TRUE(cp.toUtf8("", &utf8));
  EXPECT_EQ(utf8, "");
}

TEST_F(TextTest, LenientConversionReplacesOnlyTheBadCharacter) {
  EXPECT_EQ(toUtf8Lenient("a\x95", cp), "a\xEF\xBF\xBD");
  EXPECT_EQ(toUtf8Lenient("a\x85\x40" "b", cp), "a\xEF\xBF\xBD" "b");  // unassigned pair
  EXPECT_EQ(toUtf8Lenient(kSo, cp), "\xE3\x82\xBD");  // ソ U+30BD
}

TEST_F(TextTest, BytesOutsideCodePage932AreInvalidOnEveryBuild) {
  // 0x80, 0xA0 and 0xFD-0xFF are neither characters nor lead bytes; some
  // system tables map them to control or private-use characters anyway.
  std::string utf8;
  for (const char* bad : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF"}) {
    EXPECT_FALSE(cp.toUtf8(bad, &utf8)) << static_cast<int>(static_cast<unsigned char>(bad[0]));
    EXPECT_EQ(toUtf8Lenient(std::string("x") + bad + "y", cp), "x\xEF\xBF\xBDy");
  }
  // As second bytes of a character they are judged by the table: 0x81 0x80
  // is "÷" (U+00F7), 0x81 0xFD is no character.
  ASSERT_TRUE(cp.toUtf8("\x81\x80", &utf8));
  EXPECT_EQ(utf8, "\xC3\xB7");
  EXPECT_FALSE(cp.toUtf8("\x81\xFD", &utf8));
}

TEST_F(TextTest, LeadByteBeforeANonTrailByteSpoilsOnlyItself) {
  // Bytes below 0x40 are never the second byte of a character: a blank, a
  // tab or a quote after a stray lead byte is a character of its own.
  EXPECT_EQ(toUtf8Lenient("x\x81 y", cp), "x\xEF\xBF\xBD y");
  EXPECT_EQ(toUtf8Lenient("\x95\t\x95\x5C", cp), "\xEF\xBF\xBD\t\xE8\xA1\xA8");
  EXPECT_EQ(toUtf8Lenient("\x81\"", cp), "\xEF\xBF\xBD\"");
}

}  // namespace
}  // namespace quillet
