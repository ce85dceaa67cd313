#include "update/script/script_values.h"

#include <gtest/gtest.h>

#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

TEST(ScriptValues, Booleans) {
  for (const char* yes : {"1", "on", "ON", "On", "true", "TRUE", "tRuE"})
    EXPECT_EQ(parseScriptBoolean(yes), 1) << yes;
  for (const char* no : {"", "0", " 1", "yes", "11", "onn", "2", "true "})
    EXPECT_EQ(parseScriptBoolean(no), 0) << no;
}

TEST(ScriptValues, Versions) {
  EXPECT_EQ(parseScriptVersion("3.10"), 310);
  EXPECT_EQ(parseScriptVersion("3.1"), 310);
  EXPECT_EQ(parseScriptVersion("3.05"), 305);
  EXPECT_EQ(parseScriptVersion("3.123"), 312);
  EXPECT_EQ(parseScriptVersion("3"), 300);
  EXPECT_EQ(parseScriptVersion("3,10"), 300);
  EXPECT_EQ(parseScriptVersion(""), 0);
  EXPECT_EQ(parseScriptVersion(" 3.10"), 0);
  EXPECT_EQ(parseScriptVersion("2.5"), 250);
}

TEST(ScriptValues, LongVersionValuesAreCutTo15Bytes) {
  // 14 digits, a point, then the minor digits: the point is the 15th byte
  // and the minor digits fall beyond the cut.
  EXPECT_EQ(parseScriptVersion("00000000000003.25"), 300);
  EXPECT_EQ(parseScriptVersion("000000000003.25"), 325);  // exactly 15
  EXPECT_EQ(parseScriptVersion("0000000000003.25"), 320);  // 16: last digit cut
}

TEST(ScriptValues, ModelSets) {
  Cp932CodePage cp;
  EXPECT_EQ(parseModelSet("QK,ZP", kModelTable, cp), 0x3);
  EXPECT_EQ(parseModelSet("QK ZP", kModelTable, cp), 0x3);
  EXPECT_EQ(parseModelSet("all", kModelTable, cp), 0x7001F);
  EXPECT_EQ(parseModelSet("nothing", kModelTable, cp), 0);
  EXPECT_EQ(parseModelSet("", kModelTable, cp), 0);
  EXPECT_EQ(parseModelSet("xwj/kjv/yv", kModelTable, cp), 0x1C);
  EXPECT_EQ(parseModelSet("WZ JX QZ", kModelTable, cp), 0x70000);
  EXPECT_EQ(parseModelSet("QKZ", kModelTable, cp), 0x1);  // a longer word holding a code
  // "QK" whose Q is the trail byte of 0x83 0x51 is no code.
  EXPECT_EQ(parseModelSet("\x83QK", kModelTable, cp), 0);
  EXPECT_EQ(parseModelSet("\x83q" "zp", kModelTable, cp), 0x2);
}

TEST(ScriptValues, PhaseWords) {
  EXPECT_EQ(parsePhaseWord("previous"), 1);
  EXPECT_EQ(parsePhaseWord("BeforeCopy"), 2);
  EXPECT_EQ(parsePhaseWord("AFTERCOPY"), 3);
  EXPECT_EQ(parsePhaseWord("later"), 4);
  EXPECT_EQ(parsePhaseWord("LATER"), 4);
  EXPECT_EQ(parsePhaseWord("soon"), 4);
  EXPECT_EQ(parsePhaseWord(" previous"), 4);
  EXPECT_EQ(parsePhaseWord(""), 4);
}

TEST(ScriptValues, ScriptHostFiles) {
  Cp932CodePage cp;
  EXPECT_TRUE(isScriptHostFile("setup.vbs", cp));
  EXPECT_TRUE(isScriptHostFile("Setup.Js", cp));
  EXPECT_TRUE(isScriptHostFile("a.b.VBS", cp));
  EXPECT_TRUE(isScriptHostFile("js", cp));  // no point: the value is its own extension
  EXPECT_FALSE(isScriptHostFile("tool.exe", cp));
  EXPECT_FALSE(isScriptHostFile("setup.vbs.exe", cp));
  EXPECT_FALSE(isScriptHostFile("setup.jse", cp));
  EXPECT_EQ(extensionOf("dir.x\\setup", cp), "x\\setup");
}

}  // namespace
}  // namespace quillet
