#include "update/run/command_line.h"

#include <string>

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(CommandLineSplit, NullTextGivesNoWordsAndNoSilent) {
  const CommandWords words = splitCommandLine(nullptr);
  EXPECT_EQ(words.count, 0);
  EXPECT_FALSE(hasSilentWord(words));
}

TEST(CommandLineSplit, SingleBlanksSeparateAndDoubleBlanksMakeEmptyWords) {
  const CommandWords words = splitCommandLine("ab  cd e");
  ASSERT_EQ(words.count, 4);
  EXPECT_EQ(words.words[0], "ab");
  EXPECT_EQ(words.words[1], "");
  EXPECT_EQ(words.words[2], "cd");
  EXPECT_EQ(words.words[3], "e");
}

TEST(CommandLineSplit, HyphensAreDroppedAnywhere) {
  for (const char* text : {"silent", "-silent", "--silent", "si-lent", "silent-", "x -silent"}) {
    EXPECT_TRUE(hasSilentWord(splitCommandLine(text))) << text;
  }
}

TEST(CommandLineSplit, OnlyTheExactLowerCaseWordIsSilent) {
  for (const char* text : {"SILENT", "Silent", "/silent", "\"silent\"", "silent\t", "silently",
                           "\tsilent", ""}) {
    EXPECT_FALSE(hasSilentWord(splitCommandLine(text))) << text;
  }
}

TEST(CommandLineSplit, QuotesAndTabsAreOrdinaryBytes) {
  const CommandWords words = splitCommandLine("\"a b\"\tc");
  ASSERT_EQ(words.count, 2);
  EXPECT_EQ(words.words[0], "\"a");
  EXPECT_EQ(words.words[1], "b\"\tc");
}

TEST(CommandLineSplit, SilentAsEighthWordCountsButAsNinthDoesNot) {
  EXPECT_TRUE(hasSilentWord(splitCommandLine("a b c d e f g silent")));
  EXPECT_FALSE(hasSilentWord(splitCommandLine("a b c d e f g h silent")));
  const CommandWords words = splitCommandLine("a b c d e f g h silent");
  EXPECT_EQ(words.count, 8);
  EXPECT_EQ(words.words[7], "h");
}

TEST(CommandLineSplit, EmptyWordsCountTowardsTheEight) {
  // Seven blanks make eight words, the last being "silent".
  EXPECT_TRUE(hasSilentWord(splitCommandLine("       silent")));
  EXPECT_FALSE(hasSilentWord(splitCommandLine("        silent")));
}

TEST(CommandLineSplit, OverLongWordKeepsItsFirst259BytesAndTheNextWordStillCounts) {
  const std::string longWord(300, 'x');
  const CommandWords words = splitCommandLine((longWord + " silent").c_str());
  ASSERT_EQ(words.count, 2);
  EXPECT_EQ(words.words[0], std::string(259, 'x'));
  EXPECT_EQ(words.words[1], "silent");
  EXPECT_TRUE(hasSilentWord(words));
}

TEST(CommandLineSplit, SilentHiddenBeyondTheCutOfALongWordDoesNotMatch) {
  // The bytes after the cut are dropped, never taken as a word of their own.
  const std::string text = std::string(259, 'x') + "silent";
  const CommandWords words = splitCommandLine(text.c_str());
  EXPECT_EQ(words.count, 1);
  EXPECT_FALSE(hasSilentWord(words));
}

TEST(CommandLineSplit, HyphensDoNotCountTowardsTheWordLength) {
  const std::string text = std::string(300, '-') + "silent";
  EXPECT_TRUE(hasSilentWord(splitCommandLine(text.c_str())));
}

TEST(CommandLineSplit, ShiftJisBytesStayInTheWord) {
  const CommandWords words = splitCommandLine("\x83\x5C\x83\x74\x83\x67 silent");
  ASSERT_EQ(words.count, 2);
  EXPECT_EQ(words.words[0], "\x83\x5C\x83\x74\x83\x67");
  EXPECT_TRUE(hasSilentWord(words));
}

}  // namespace
}  // namespace quillet
