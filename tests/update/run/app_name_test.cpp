#include "update/app/app_name.h"

#include <gtest/gtest.h>

#include "tests/update/run/run_test_support.h"

namespace quillet {
namespace {

TEST(ApplicationName, FileNameWithoutFolderAndExtension) {
  Cp932CodePage cp;
  EXPECT_EQ(applicationNameFromPath("C:\\media\\Quillet.exe", cp), "Quillet");
  EXPECT_EQ(applicationNameFromPath("Quillet.exe", cp), "Quillet");
  EXPECT_EQ(applicationNameFromPath("C:\\a.b\\prog", cp), "prog");
  EXPECT_EQ(applicationNameFromPath("C:\\x\\my.tool.exe", cp), "my.tool");
  EXPECT_EQ(applicationNameFromPath("C:prog.exe", cp), "prog");
}

TEST(ApplicationName, TrailByteBackslashIsPartOfTheName) {
  Cp932CodePage cp;
  // 表 is 0x95 0x5C in code page 932: its second byte is a backslash.
  EXPECT_EQ(applicationNameFromPath("C:\\dir\\\x95\x5C.exe", cp), "\x95\x5C");
  EXPECT_EQ(applicationNameFromPath("C:\\\x95\x5C\\tool.exe", cp), "tool");
}

}  // namespace
}  // namespace quillet

#include "update/app/command_text.h"

namespace quillet {
namespace {

TEST(CommandLineText, TextAfterTheProgramName) {
  EXPECT_STREQ(commandLineAfterProgramName("Quillet.exe silent"), "silent");
  EXPECT_STREQ(commandLineAfterProgramName("\"C:\\my dir\\Quillet.exe\"  \t-silent x"),
               "-silent x");
  EXPECT_STREQ(commandLineAfterProgramName("C:\\q\\Quillet.exe"), "");
  EXPECT_STREQ(commandLineAfterProgramName("\"C:\\q\\Quillet.exe\""), "");
  EXPECT_STREQ(commandLineAfterProgramName("\"unterminated silent"), "");
  EXPECT_EQ(commandLineAfterProgramName(nullptr), nullptr);
}

TEST(CommandLineText, BlanksInsideTheRestAreKept) {
  EXPECT_STREQ(commandLineAfterProgramName("q.exe a  b "), "a  b ");
}

}  // namespace
}  // namespace quillet
