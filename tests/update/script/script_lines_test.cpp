#include "update/script/script_lines.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillet {
namespace {

std::vector<std::string> linesOf(const std::string& bytes) {
  ScriptLineReader reader(bytes);
  std::vector<std::string> lines;
  std::string line;
  while (reader.next(&line)) lines.push_back(line);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(ScriptLines, CrLfAndLfEndLinesAndALoneCrStays) {
  EXPECT_EQ(linesOf("a\r\nb\nc\rd\n"), (Lines{"a\n", "b\n", "c\rd\n"}));
}

TEST(ScriptLines, LastLineWithoutLineEndIsRead) {
  EXPECT_EQ(linesOf("a\nlast"), (Lines{"a\n", "last"}));
  EXPECT_EQ(linesOf(""), Lines{});
}

TEST(ScriptLines, CtrlZEndsTheFile) {
  EXPECT_EQ(linesOf("a\nb\x1A" "c\nd\n"), (Lines{"a\n", "b"}));
  EXPECT_EQ(linesOf("\x1A" "a\n"), Lines{});
}

TEST(ScriptLines, LongLinesAreCutAt259Bytes) {
  std::string line300(300, 'x');
  Lines lines = linesOf(line300 + "\r\nnext\r\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(259, 'x'));
  EXPECT_EQ(lines[1], std::string(41, 'x') + "\n");
  EXPECT_EQ(lines[2], "next\n");
}

TEST(ScriptLines, ExactlyFullLineLeavesItsLineEndAsAnEmptyLine) {
  std::string line259(259, 'y');
  EXPECT_EQ(linesOf(line259 + "\r\nz"), (Lines{line259, "\n", "z"}));
  std::string line258(258, 'y');
  EXPECT_EQ(linesOf(line258 + "\r\nz"), (Lines{line258 + "\n", "z"}));
}

TEST(ScriptLines, CrLfCountsAsOneByteTowardsTheCut) {
  // 258 bytes + CR LF: after translation 259 bytes, which fit exactly.
  std::string line258(258, 'q');
  EXPECT_EQ(linesOf(line258 + "\r\n"), Lines{line258 + "\n"});
}

TEST(ScriptLines, TheCutCountsBytesNotCharacters) {
  // 表 (0x95 0x5C) straddles the cut: its second byte starts the next line.
  std::string line258(258, 'x');
  EXPECT_EQ(linesOf(line258 + "\x95\x5C\r\n"), (Lines{line258 + "\x95", "\x5C\n"}));
}

TEST(ScriptLines, ALineEndsAtItsFirstNulByte) {
  EXPECT_EQ(linesOf(std::string("ab\0cd\nef\n", 9)), (Lines{"ab", "ef\n"}));
}

}  // namespace
}  // namespace quillet
