#include "update/script/script_keywords.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The codes, written out independently of the reader's own table.
const char* const kExpected[] = {
    "volume lavel:", "file:", "patch:", "replace:", "overwrite:", "remove:", "toWork:",
    "toWorkNT:", "toWork2k:", "toSystem:", "toSystemNT:", "toSystem2k:", "toIIS:", "toIISNT:",
    "toIIS2k:", "folderInWork:", "startSvc:", "stopSvc:", "termProc:", "toolshortcut:",
    "desktopname:", "pxmenuname:", "desktoplnkname:", "pxmenulnkname:", "addKey:", "setKey:",
    "delSubKey:", "setName:", "addSZValue:", "addDWORDValue:", "delName:", "setParam:",
    "setTime:", "goExeParam:", "goExe:", "PatchID:", "PatchName:", "PatchSetInfo:",
    "PatchDelId:", "PatchDelTo:", "PatchDelAll:", "Admin:", "Reboot:", "updatePPD:",
    "VerCheckLower:", "VerCheckUpper:", "TargetModel:",
};

TEST(ScriptKeywords, EveryKeywordHasItsCode) {
  ASSERT_EQ(sizeof(kExpected) / sizeof(kExpected[0]), 47u);
  for (int code = 1; code <= 47; ++code) {
    std::string value;
    std::string keyword = kExpected[code - 1];
    EXPECT_EQ(classifyScriptLine(keyword + "v a l", &value), code) << keyword;
    EXPECT_EQ(value, "v a l") << keyword;
    EXPECT_EQ(classifyScriptLine(keyword, &value), code) << keyword;
    EXPECT_EQ(value, "");
    EXPECT_STREQ(scriptKeywordText(code), kExpected[code - 1]);
  }
  EXPECT_EQ(scriptKeywordText(0), nullptr);
  EXPECT_EQ(scriptKeywordText(48), nullptr);
}

TEST(ScriptKeywords, CommentsAndNonKeywordLines) {
  std::string value;
  EXPECT_EQ(classifyScriptLine("# fix for 3.0x\r\n", &value), kKwNone);
  EXPECT_EQ(value, " fix for 3.0x");
  EXPECT_EQ(classifyScriptLine("#file:a.dll", &value), kKwNone);
  EXPECT_EQ(classifyScriptLine(" file:a.dll", &value), kKwNone);
  EXPECT_EQ(value, " file:a.dll");
  EXPECT_EQ(classifyScriptLine("File:a.dll", &value), kKwNone);
  EXPECT_EQ(classifyScriptLine("volume label:X", &value), kKwNone);
  EXPECT_EQ(classifyScriptLine("file", &value), kKwNone);
  EXPECT_EQ(classifyScriptLine("\n", &value), kKwNone);
  EXPECT_EQ(value, "");
}

TEST(ScriptKeywords, TrailingWhiteSpaceGoesLeadingStays) {
  std::string value;
  EXPECT_EQ(classifyScriptLine("Admin: 1 \t\r\n", &value), kKwAdmin);
  EXPECT_EQ(value, " 1");
  EXPECT_EQ(classifyScriptLine("goExe:setup.exe   ", &value), kKwGoExe);
  EXPECT_EQ(value, "setup.exe");
  EXPECT_EQ(trimTrailingSpace("a b \t \r\n"), "a b");
  EXPECT_EQ(trimTrailingSpace("\x95\x5C "), "\x95\x5C");
}

TEST(ScriptKeywords, SimilarKeywordsDoNotShadowEachOther) {
  std::string value;
  EXPECT_EQ(classifyScriptLine("toWorkNT:x", &value), kKwToWorkNT);
  EXPECT_EQ(classifyScriptLine("toWork2k:x", &value), kKwToWork2k);
  EXPECT_EQ(classifyScriptLine("goExeParam:x", &value), kKwGoExeParam);
  EXPECT_EQ(classifyScriptLine("PatchDelAll:", &value), kKwPatchDelAll);
  EXPECT_EQ(classifyScriptLine("desktoplnkname:x", &value), kKwDesktopLnkName);
}

}  // namespace
}  // namespace quillet
