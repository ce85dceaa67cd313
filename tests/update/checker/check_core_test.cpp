#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/check_run.h"
#include "tools/quillet-check/job_json.h"

namespace quillet {
namespace {

CheckOptions parsed(const std::vector<std::string>& args, const std::string& windir = "") {
  CheckOptions o;
  std::string error;
  EXPECT_TRUE(parseCheckOptions(args, windir, &o, &error)) << error;
  return o;
}

TEST(CheckOptionsTest, DefaultsFollowWindirAndTheSystemVersion) {
  CheckOptions o = parsed({"dir\\quillet.txt"});
  EXPECT_EQ(o.osMajor, 5);
  EXPECT_EQ(o.windir, "C:\\WINDOWS");
  EXPECT_EQ(o.sourceDir, "dir");
  EXPECT_EQ(o.workDir, "C:\\Plexor");
  EXPECT_EQ(o.toolDir, "C:\\Plexor\\tool");
  EXPECT_EQ(o.systemDir, "C:\\WINDOWS\\system32");
  EXPECT_EQ(o.iisDir, "C:\\Inetpub\\wwwroot");
  EXPECT_EQ(o.commonProgramsDir, "C:\\Documents and Settings\\All Users\\Start Menu\\Programs");
  EXPECT_EQ(o.commonDesktopDir, "C:\\Documents and Settings\\All Users\\Desktop");
  EXPECT_EQ(o.programGroup, "Plexor");

  o = parsed({"--os-major", "4", "--work-dir=D:\\W", "q.txt"}, "E:\\WINNT");
  EXPECT_EQ(o.windir, "E:\\WINNT");
  EXPECT_EQ(o.sourceDir, ".");
  EXPECT_EQ(o.toolDir, "D:\\W\\tool");
  EXPECT_EQ(o.systemDir, "E:\\WINNT\\system32");
  EXPECT_EQ(o.commonDesktopDir, "E:\\WINNT\\Profiles\\All Users\\Desktop");
}

TEST(CheckOptionsTest, GivenValuesWin) {
  CheckOptions o = parsed({"--windir", "W", "--system-dir", "S", "--tool-dir", "T",
                           "--source-dir", "", "--program-group", "G", "--os-major", "-1",
                           "--", "--odd-name.txt"},
                          "X");
  EXPECT_EQ(o.windir, "W");
  EXPECT_EQ(o.systemDir, "S");
  EXPECT_EQ(o.toolDir, "T");
  EXPECT_EQ(o.sourceDir, "");
  EXPECT_EQ(o.programGroup, "G");
  EXPECT_EQ(o.osMajor, -1);
  EXPECT_EQ(o.script, "--odd-name.txt");
}

TEST(CheckOptionsTest, UsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {}, {"--os-major"}, {"--os-major", "4x", "a"}, {"--os-major", "", "a"},
      {"--os-major", "99999999999", "a"}, {"--bogus", "a"}, {"a", "b"}, {"-v", "a"},
      {"a", "--iis-dir"},
  };
  for (const auto& args : bad) {
    CheckOptions o;
    std::string error;
    EXPECT_FALSE(parseCheckOptions(args, "", &o, &error)) << ::testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
}

TEST(CheckOptionsTest, ScriptFolderIsMultiByteAware) {
  EXPECT_EQ(scriptFolderOf("a/b/quillet.txt"), "a/b");
  EXPECT_EQ(scriptFolderOf("a\\b/c\\quillet.txt"), "a\\b/c");
  EXPECT_EQ(scriptFolderOf("/quillet.txt"), "/");
  EXPECT_EQ(scriptFolderOf("quillet.txt"), ".");
  // 表 (0x95 0x5C) ends in a backslash byte that is not a separator.
  EXPECT_EQ(scriptFolderOf("\x95\x5Cquillet.txt"), ".");
  EXPECT_EQ(scriptFolderOf("D:\\\x95\x5C\\quillet.txt"), "D:\\\x95\x5C");
  // A slash (0x2F) is never the second byte of a character: a host path whose
  // folder name ends in a byte that looks like a lead byte ("ぁ" in UTF-8 is
  // E3 81 81) is still cut at its last slash.
  EXPECT_EQ(scriptFolderOf("/tmp/\xE3\x81\x81/quillet.txt"), "/tmp/\xE3\x81\x81");
  EXPECT_EQ(scriptFolderOf("\x81/quillet.txt"), "\x81");
}

TEST(JsonTest, StringsAreEscaped) {
  EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(jsonString("\t\n\r\b\f"), "\"\\t\\n\\r\\b\\f\"");
  EXPECT_EQ(jsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\x7f\"");
  EXPECT_EQ(jsonString("表"), "\"表\"");
}

class FixedClock : public ClockPort {
 public:
  LocalTime localTime() override { return LocalTime{1999, 1, 2, 3, 4, 5}; }
  void sleepMs(std::uint32_t) override {}
  std::uint32_t tickCount() override { return 0; }
};

class RunCheckTest : public ::testing::Test {
 protected:
  std::string path = ::testing::TempDir() + "quillet_check_core_test.txt";
  void write(const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  void TearDown() override { std::remove(path.c_str()); }
  int run(std::vector<std::string> args, std::string* out, std::string* err) {
    args.push_back(path);
    FixedClock clock;
    std::ostringstream o, e;
    int status = runCheck(args, "", clock, o, e);
    *out = o.str();
    *err = e.str();
    return status;
  }
};

TEST_F(RunCheckTest, OptionTextsAreCodePage932LikeTheScript) {
  // 表 in cp932 as program group and folder; printed as UTF-8.
  write("file:a\r\npxmenuname:\r\nPatchID:x\r\nPatchSetInfo:\r\n");
  std::string out, err;
  ASSERT_EQ(run({"--program-group", "\x95\x5C", "--common-programs-dir", "P"}, &out, &err), 0);
  EXPECT_NE(out.find("\"linkPath\": \"P\\\\表\\\\a.url\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"date\": \"1999/01/02\", \"time\": \"3:04:05\""), std::string::npos)
      << out;
  EXPECT_EQ(err, "");
}

TEST_F(RunCheckTest, InvalidBytesBecomeReplacementCharacters) {
  write("startSvc:a\x85\x40z\r\n");
  std::string out, err;
  ASSERT_EQ(run({}, &out, &err), 0);
  EXPECT_NE(out.find("\"a\xEF\xBF\xBDz\""), std::string::npos) << out;
}

TEST_F(RunCheckTest, ControlBytesAreEscapedAndAStrayLeadByteKeepsItsNeighbour) {
  write("startSvc:a\x01" "b\x1b" "c\r\nstopSvc:x\x81\ty\r\n");
  std::string out, err;
  ASSERT_EQ(run({}, &out, &err), 0);
  EXPECT_NE(out.find("\"a\\u0001b\\u001bc\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"x\xEF\xBF\xBD\\ty\""), std::string::npos) << out;
}

TEST_F(RunCheckTest, OverflowGivesStatusOneWithTheMessage) {
  std::string script;
  for (int i = 0; i < 9; ++i) script += "stopSvc:s\n";
  write(script);
  std::string out, err;
  EXPECT_EQ(run({}, &out, &err), 1);
  EXPECT_NE(out.find("\"result\": 0"), std::string::npos);
  EXPECT_NE(out.find("停止するサービスが多すぎます。"), std::string::npos);
}

}  // namespace
}  // namespace quillet
