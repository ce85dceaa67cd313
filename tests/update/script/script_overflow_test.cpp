#include <gtest/gtest.h>

#include "tests/update/script/reader_harness.h"
#include "update/script/script_reader.h"

namespace quillet {
namespace {

using script_test::ReaderHarness;

// The texts, written out here independently of the reader's own literals.
const char kFiles[] = "スクリプトエラー：インストール対象ファイルが多すぎます。";
const char kRegistry[] = "スクリプトエラー：レジストリ対象操作が多すぎます。";
const char kStart[] = "スクリプトエラー：開始するサービスが多すぎます。";
const char kStop[] = "スクリプトエラー：停止するサービスが多すぎます。";
const char kProcesses[] = "スクリプトエラー：停止するプロセスが多すぎます。";
const char kPatchInfo[] = "スクリプトエラー：パッチ表示情報が多すぎます。";
const char kPatchDelete[] = "スクリプトエラー：パッチ削除情報が多すぎます。";

std::string repeat(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

struct OverflowCase {
  const char* name;
  std::string prefix;  // lines before the repeated one
  std::string line;    // the line that appends one entry
  int capacity;
  const char* message;
  int (*count)(const UpdateJob&);
};

void PrintTo(const OverflowCase& c, std::ostream* os) { *os << c.name; }

class ScriptOverflowTest : public ::testing::TestWithParam<OverflowCase> {};

TEST_P(ScriptOverflowTest, CapacityIsAcceptedAndOneMoreStopsWithTheMessage) {
  const OverflowCase& c = GetParam();
  {
    ReaderHarness h;
    std::string script = c.prefix + repeat(c.line, c.capacity);
    EXPECT_EQ(readUpdateScriptBytes(*h.job, script, "Plexor", h.ports), 1);
    EXPECT_EQ(c.count(*h.job), c.capacity);
    EXPECT_TRUE(h.ui.messages.empty());
  }
  ReaderHarness h;
  // A setting after the overflow must not be applied: reading stops there.
  std::string script = c.prefix + repeat(c.line, c.capacity + 1) + "Admin:0\n";
  EXPECT_EQ(readUpdateScriptBytes(*h.job, script, "Plexor", h.ports), 0);
  EXPECT_EQ(c.count(*h.job), c.capacity);
  ASSERT_EQ(h.ui.messages.size(), 1u);
  EXPECT_EQ(h.ui.messages[0], c.message);
  EXPECT_EQ(h.job->adminRequired, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ScriptOverflowTest,
    ::testing::Values(
        OverflowCase{"FileEntries", "file:a\n", "toWork:\n", 2048, kFiles,
                     [](const UpdateJob& j) { return j.fileEntryCount; }},
        OverflowCase{"WorkFolders", "", "folderInWork:f\n", 8, kFiles,
                     [](const UpdateJob& j) { return j.workFolderCount; }},
        OverflowCase{"Shortcuts", "file:a\n", "desktopname:\n", 16, kFiles,
                     [](const UpdateJob& j) { return j.shortcutEntryCount; }},
        OverflowCase{"Launches", "", "goExe:a.exe\n", 8, kFiles,
                     [](const UpdateJob& j) { return j.launchEntryCount; }},
        OverflowCase{"ParameterLaunches", "", "goExeParam:a.exe\n", 8, kFiles,
                     [](const UpdateJob& j) { return j.launchEntryCount; }},
        OverflowCase{"RegistryEntries", "", "addKey:K\n", 64, kRegistry,
                     [](const UpdateJob& j) { return j.registryEntryCount; }},
        OverflowCase{"RegistryDeletes", "setKey:K\n", "delName:V\n", 64, kRegistry,
                     [](const UpdateJob& j) { return j.registryEntryCount; }},
        OverflowCase{"ServicesToStart", "", "startSvc:S\n", 8, kStart,
                     [](const UpdateJob& j) { return j.serviceToStartCount; }},
        OverflowCase{"ServicesToStop", "", "stopSvc:S\n", 8, kStop,
                     [](const UpdateJob& j) { return j.serviceToStopCount; }},
        OverflowCase{"ProcessesToEnd", "", "termProc:p.exe\n", 8, kProcesses,
                     [](const UpdateJob& j) { return j.processToEndCount; }},
        OverflowCase{"PatchRecords", "PatchID:P\n", "PatchSetInfo:\n", 16, kPatchInfo,
                     [](const UpdateJob& j) { return j.patchInfoEntryCount; }},
        OverflowCase{"PatchDeletions", "", "PatchDelAll:\n", 64, kPatchDelete,
                     [](const UpdateJob& j) { return j.patchDeleteEntryCount; }}),
    [](const ::testing::TestParamInfo<OverflowCase>& info) { return info.param.name; });

TEST(ScriptOverflow, FileTableOverflowKeepsEarlierEntriesOfOtherTables) {
  ReaderHarness h;
  std::string script = "startSvc:S\nfile:a\n" + repeat("toSystem:\n", 2049) + "stopSvc:T\n";
  EXPECT_EQ(readUpdateScriptBytes(*h.job, script, "Plexor", h.ports), 0);
  EXPECT_EQ(h.job->serviceToStartCount, 1);
  EXPECT_EQ(h.job->serviceToStopCount, 0);
  EXPECT_EQ(h.job->fileEntries[2047].targetPath, "C:\\WINNT\\system32\\a");
}

TEST(ScriptOverflow, PatchRecordOverflowDoesNotAskTheClock) {
  ReaderHarness h;
  std::string script = repeat("PatchSetInfo:\n", 17);
  EXPECT_EQ(readUpdateScriptBytes(*h.job, script, "Plexor", h.ports), 0);
  EXPECT_EQ(h.clock.calls, 16);
}

}  // namespace
}  // namespace quillet
