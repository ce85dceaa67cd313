#include "update/run/update_app.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/update/run/run_test_support.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kNotInstalledPlexor[] = "Plexorが正常にインストールされていません。";
const char kScriptNotFound[] = "スクリプトファイルが見つかりません。";
const char kWrongModel[] = "アップデート対象のPlexorではありません。";
const char kRegistryWriteFailed[] =
    "レジストリへの書き込みに失敗しました。インストールを中止します。";
const char kCopyFailed[] = "ファイルのコピーに失敗しました。インストールを中止します。";

std::vector<std::string> messages(const FakeUi& ui) {
  std::vector<std::string> texts;
  for (const UiCall& call : ui.callsOf("message")) texts.push_back(call.text);
  return texts;
}

void addFile(UpdateJob& job, const std::string& target, int record) {
  FileEntry& entry = job.fileEntries[job.fileEntryCount++];
  entry.targetPath = target;
  entry.recordForUninstall = record;
}

TEST(UpdateRun, CompleteInteractiveRunCallsEveryStepInOrder) {
  RunFixture f;
  f.operations.script = [](UpdateJob& job) { addFile(job, "C:\\P\\a.dll", 1); };
  EXPECT_EQ(f.run(nullptr), 0);
  EXPECT_THAT(f.log, ElementsAre(kGuardCall, "readInstalledProduct", "resolveFolders",
                                 "readUpdateScript", "checkMedia", "installedModelMask",
                                 "record file C:\\P\\a.dll", "start", "executeUpdate", "done"));
  EXPECT_EQ(f.services.openCalls, 1);
  EXPECT_EQ(f.services.openManagers, 0) << "the administrator test closes the manager at once";
  EXPECT_THAT(messages(f.ui), IsEmpty());
  ASSERT_EQ(f.ui.callsOf("start").size(), 1u);
  EXPECT_EQ(f.ui.callsOf("start")[0].text, "C:\\media");
  EXPECT_EQ(f.ui.callsOf("done")[0].text, "Plexor");
}

// One guard per machine: a renamed program file is the same tool.
TEST(UpdateRun, SemaphoreIsNamedAfterTheProductAndHeldUntilExitInstance) {
  RunFixture f;
  f.run("", "Other");
  EXPECT_THAT(f.system.created, ElementsAre("Global\\Plexor.Update"));
  EXPECT_EQ(f.system.open.count(kInstanceGuardName), 1u);
  EXPECT_EQ(f.app->ExitInstance(), 0);
  EXPECT_EQ(f.system.open.count(kInstanceGuardName), 0u);
  EXPECT_EQ(f.app->instanceSemaphore, nullptr);
}

TEST(UpdateRun, SemaphoreIsHeldAfterAnEarlyEndToo) {
  RunFixture f;
  f.operations.productResult = 0;
  f.run(nullptr);
  EXPECT_EQ(f.system.open.count(kInstanceGuardName), 1u);
  f.app->ExitInstance();
  EXPECT_TRUE(f.system.open.empty());
}

TEST(UpdateRun, SecondInstanceEndsAtOnceWithoutAnyWindow) {
  RunFixture f;
  f.system.heldElsewhere.insert(kInstanceGuardName);
  EXPECT_EQ(f.run("silent"), 0);
  EXPECT_THAT(f.log, ElementsAre(kGuardCall));
  EXPECT_THAT(f.ui.calls, IsEmpty());
  f.app->ExitInstance();
  EXPECT_TRUE(f.system.open.empty()) << "the handle of the existing semaphore is closed too";
}

TEST(UpdateRun, SemaphoreThatCannotBeCreatedEndsSilently) {
  RunFixture f;
  f.system.failCreate = true;
  EXPECT_EQ(f.run(nullptr), 0);
  EXPECT_THAT(f.log, ElementsAre(kGuardCall));
  EXPECT_THAT(f.ui.calls, IsEmpty());
  f.app->ExitInstance();
}

TEST(UpdateRun, MissingProductKeyEndsWithoutMessageEvenWithoutScript) {
  RunFixture f;
  f.operations.productResult = 0;
  f.operations.scriptResult = 0;
  f.operations.foldersResult = 0;
  f.run(nullptr);
  EXPECT_THAT(f.log, ElementsAre(kGuardCall, "readInstalledProduct"));
  EXPECT_THAT(f.ui.calls, IsEmpty());
}

TEST(UpdateRun, UnresolvedFolderShowsNotInstalledWithTheProductName) {
  RunFixture f;
  f.operations.foldersResult = 0;
  f.run(nullptr);
  EXPECT_THAT(messages(f.ui), ElementsAre(kNotInstalledPlexor));
  EXPECT_EQ(f.log.back(), "message");
  EXPECT_EQ(f.services.openCalls, 0);
}

TEST(UpdateRun, NotInstalledMessageShowsAShiftJisProductNameAsUtf8) {
  RunFixture f;
  f.operations.productName = "\x83\x76\x83\x8C\x83\x4E\x83\x58";  // プレクス in code page 932
  f.operations.foldersResult = 0;
  f.run(nullptr);
  EXPECT_THAT(messages(f.ui), ElementsAre("プレクスが正常にインストールされていません。"));
}

TEST(UpdateRun, ProductNameWithPercentSignsIsInsertedLiterally) {
  RunFixture f;
  f.operations.productName = "P%d%s";
  f.operations.foldersResult = 0;
  f.run(nullptr);
  EXPECT_THAT(messages(f.ui), ElementsAre("P%d%sが正常にインストールされていません。"));
}

TEST(UpdateRun, UnreadableScriptShowsScriptNotFoundAndStops) {
  RunFixture f;
  f.operations.scriptResult = 0;
  f.run("silent");
  EXPECT_THAT(messages(f.ui), ElementsAre(kScriptNotFound));
  EXPECT_THAT(f.log, ElementsAre(kGuardCall, "readInstalledProduct", "resolveFolders",
                                 "readUpdateScript", "message"));
}

TEST(UpdateRun, ModelWithoutCommonBitShowsWrongModel) {
  RunFixture f;
  f.operations.modelMask = 0x10000;  // WZ
  f.operations.script = [](UpdateJob& job) { job.targetModelMask = 0x3; };
  f.run(nullptr);
  EXPECT_THAT(messages(f.ui), ElementsAre(kWrongModel));
  EXPECT_EQ(f.log.back(), "message");
  EXPECT_EQ(f.services.openCalls, 0);
}

TEST(UpdateRun, UnknownInstalledModelNeverFits) {
  RunFixture f;
  f.operations.modelMask = 0;
  f.run(nullptr);  // the default target mask accepts every known model
  EXPECT_THAT(messages(f.ui), ElementsAre(kWrongModel));
}

TEST(UpdateRun, ModelWithOneCommonBitPasses) {
  RunFixture f;
  f.operations.modelMask = 0x40000;
  f.operations.script = [](UpdateJob& job) { job.targetModelMask = 0x40001; };
  f.run(nullptr);
  EXPECT_THAT(messages(f.ui), IsEmpty());
  EXPECT_EQ(f.log.back(), "done");
}

TEST(UpdateRun, VersionEqualToEitherBoundPasses) {
  for (int bound : {0, 1}) {
    RunFixture f;
    f.operations.majorVersion = 3;
    f.operations.minorVersion = 5;
    f.operations.script = [bound](UpdateJob& job) {
      job.versionLower = bound == 0 ? 305 : 300;
      job.versionUpper = bound == 0 ? 309 : 305;
    };
    f.run(nullptr);
    EXPECT_THAT(f.ui.callsOf("versionAbort"), IsEmpty()) << bound;
    EXPECT_EQ(f.log.back(), "done") << bound;
  }
}

TEST(UpdateRun, VersionBelowTheLowerBoundShowsTheVersionDialogAndEnds) {
  RunFixture f;
  f.operations.majorVersion = 3;
  f.operations.minorVersion = 0;
  f.operations.script = [](UpdateJob& job) { job.versionLower = 301; };
  f.run("silent");
  ASSERT_EQ(f.ui.callsOf("versionAbort").size(), 1u);
  EXPECT_EQ(f.ui.callsOf("versionAbort")[0].text, "installed 300");
  EXPECT_EQ(f.ui.callsOf("versionAbort")[0].text2, "bounds 301..100000");
  EXPECT_EQ(f.log.back(), "versionAbort");
  EXPECT_THAT(messages(f.ui), IsEmpty());
  EXPECT_EQ(f.services.openCalls, 0);
}

TEST(UpdateRun, VersionAboveTheUpperBoundShowsTheVersionDialog) {
  RunFixture f;
  f.operations.majorVersion = 3;
  f.operations.minorVersion = 10;
  f.operations.script = [](UpdateJob& job) { job.versionUpper = 309; };
  f.run(nullptr);
  EXPECT_EQ(f.ui.callsOf("versionAbort").size(), 1u);
  EXPECT_EQ(f.log.back(), "versionAbort");
}

TEST(UpdateRun, HugeInstalledVersionIsAboveTheBoundNotWrappedBelowIt) {
  RunFixture f;
  f.operations.majorVersion = 2147483647;
  f.operations.minorVersion = 99;
  f.run(nullptr);
  EXPECT_EQ(f.ui.callsOf("versionAbort").size(), 1u);
}

TEST(UpdateRun, MissingAdministratorRightsShowTheAdminDialogAndEnd) {
  RunFixture f;
  f.services.administrator = false;
  f.run("silent");
  EXPECT_EQ(f.services.openCalls, 1);
  EXPECT_EQ(f.log.back(), "adminAbort");
  EXPECT_THAT(f.operations.recorded, IsEmpty());
}

TEST(UpdateRun, AdministratorTestIsSkippedWhenTheScriptWaivesIt) {
  RunFixture f;
  f.services.administrator = false;
  f.operations.script = [](UpdateJob& job) { job.adminRequired = 0; };
  f.run(nullptr);
  EXPECT_EQ(f.services.openCalls, 0);
  EXPECT_EQ(f.log.back(), "done");
}

TEST(UpdateRun, UninstallRecordsFollowTableOrderAndOnlyMarkedFiles) {
  RunFixture f;
  f.operations.script = [](UpdateJob& job) {
    addFile(job, "C:\\W\\a.dll", 1);
    addFile(job, "C:\\W\\b.dll", 0);
    addFile(job, "C:\\S\\c.dll", 1);
    job.shortcutEntries[0].linkPath = "C:\\D\\x.lnk";
    job.shortcutEntries[1].linkPath = "C:\\D\\y.url";
    job.shortcutEntryCount = 2;
    job.workFolders[0] = "C:\\W\\new";
    job.workFolders[1] = "C:\\W\\new2";
    job.workFolderCount = 2;
  };
  f.run(nullptr);
  EXPECT_THAT(f.operations.recorded,
              ElementsAre("file C:\\W\\a.dll", "file C:\\S\\c.dll", "file C:\\D\\x.lnk",
                          "file C:\\D\\y.url", "folder C:\\W\\new", "folder C:\\W\\new2"));
  EXPECT_EQ(f.log.back(), "done");
}

TEST(UpdateRun, FailedUninstallRecordStopsRecordingAndShowsRegistryMessage) {
  RunFixture f;
  f.operations.recordFailsAt = 1;
  f.operations.script = [](UpdateJob& job) {
    addFile(job, "C:\\W\\a.dll", 1);
    job.shortcutEntries[0].linkPath = "C:\\D\\x.lnk";
    job.shortcutEntryCount = 1;
    job.workFolders[0] = "C:\\W\\new";
    job.workFolderCount = 1;
  };
  f.run("silent");
  EXPECT_THAT(f.operations.recorded, ElementsAre("file C:\\W\\a.dll", "file C:\\D\\x.lnk"));
  EXPECT_THAT(messages(f.ui), ElementsAre(kRegistryWriteFailed));
  EXPECT_EQ(f.log.back(), "message");
}

TEST(UpdateRun, FailedFolderRecordAlsoStopsTheRun) {
  RunFixture f;
  f.operations.recordFailsAt = 0;
  f.operations.script = [](UpdateJob& job) {
    job.workFolders[0] = "C:\\W\\new";
    job.workFolderCount = 1;
  };
  f.run(nullptr);
  EXPECT_THAT(messages(f.ui), ElementsAre(kRegistryWriteFailed));
  EXPECT_THAT(f.ui.callsOf("start"), IsEmpty());
}

// Only 1 means success: any other result of a step ends the run there.
TEST(UpdateRun, EveryResultButOneEndsTheRunAtThatStep) {
  for (int result : {2, -1, 5}) {
    RunFixture product;
    product.operations.productResult = result;
    product.run(nullptr);
    EXPECT_THAT(product.log, ElementsAre(kGuardCall, "readInstalledProduct")) << result;
    EXPECT_THAT(product.ui.calls, IsEmpty()) << result;

    RunFixture folders;
    folders.operations.foldersResult = result;
    folders.run(nullptr);
    EXPECT_THAT(messages(folders.ui), ElementsAre(kNotInstalledPlexor)) << result;
    EXPECT_EQ(folders.log.back(), "message") << result;

    RunFixture script;
    script.operations.scriptResult = result;
    script.run(nullptr);
    EXPECT_THAT(messages(script.ui), ElementsAre(kScriptNotFound)) << result;
    EXPECT_EQ(script.log.back(), "message") << result;

    RunFixture records;
    records.operations.recordFailsAt = 0;
    records.operations.recordFailureResult = result;
    records.operations.script = [](UpdateJob& job) {
      addFile(job, "C:\\W\\a.dll", 1);
      addFile(job, "C:\\W\\b.dll", 1);
    };
    records.run(nullptr);
    EXPECT_THAT(records.operations.recorded, ElementsAre("file C:\\W\\a.dll")) << result;
    EXPECT_THAT(messages(records.ui), ElementsAre(kRegistryWriteFailed)) << result;
    EXPECT_THAT(records.ui.callsOf("start"), IsEmpty()) << result;
  }
}

TEST(UpdateRun, RecordUninstallEntriesWithEmptyTablesSucceedsWithoutCalls) {
  RunFixture f;
  EXPECT_EQ(f.app->recordUninstallEntries(), 1);
  EXPECT_THAT(f.operations.recorded, IsEmpty());
}

TEST(UpdateRun, CancelledStartDialogEndsAfterTheRecordsWithoutExecuting) {
  for (int result : {static_cast<int>(kIdCancel), 0, -1, 7}) {
    RunFixture f;
    f.ui.startResult = result;
    f.operations.script = [](UpdateJob& job) { addFile(job, "C:\\W\\a.dll", 1); };
    f.run(nullptr);
    EXPECT_EQ(f.log.back(), "start") << result;
    EXPECT_THAT(f.operations.recorded, ElementsAre("file C:\\W\\a.dll"));
    EXPECT_THAT(messages(f.ui), IsEmpty());
  }
}

TEST(UpdateRun, SilentWordsSkipTheStartAndDoneDialogs) {
  for (const char* line : {"silent", "-silent", "--silent", "si-lent", "a b c d e f g silent"}) {
    RunFixture f;
    f.run(line);
    EXPECT_THAT(f.ui.calls, IsEmpty()) << line;
    EXPECT_EQ(f.log.back(), "executeUpdate") << line;
  }
}

TEST(UpdateRun, WordsThatAreNotSilentShowBothDialogs) {
  for (const char* line : {"SILENT", "/silent", "Silent", "a b c d e f g h silent", ""}) {
    RunFixture f;
    f.run(line);
    EXPECT_EQ(f.ui.callsOf("start").size(), 1u) << line;
    EXPECT_EQ(f.ui.callsOf("done").size(), 1u) << line;
  }
}

TEST(UpdateRun, FailedCopyShowsCopyMessageAndNoCompletionDialog) {
  RunFixture f;
  f.operations.executeResult = 0;
  f.operations.script = [](UpdateJob& job) { job.rebootRequired = 1; };
  f.run(nullptr);
  EXPECT_THAT(messages(f.ui), ElementsAre(kCopyFailed));
  EXPECT_EQ(f.log.back(), "message");
  EXPECT_THAT(f.ui.callsOf("restart"), IsEmpty());
}

TEST(UpdateRun, UnexpectedExecutorResultIsNeverTakenForSuccess) {
  RunFixture f;
  f.operations.executeResult = 1;
  f.run(nullptr);
  EXPECT_THAT(messages(f.ui), ElementsAre(kCopyFailed));
  EXPECT_THAT(f.ui.callsOf("done"), IsEmpty());
}

TEST(UpdateRun, RebootRequiredShowsTheRestartDialogEvenWhenSilent) {
  for (const char* line : {"silent", ""}) {
    RunFixture f;
    f.operations.productName = "\x83\x76\x83\x8C\x83\x4E\x83\x58";
    f.operations.script = [](UpdateJob& job) { job.rebootRequired = 1; };
    f.run(line);
    ASSERT_EQ(f.ui.callsOf("restart").size(), 1u) << line;
    EXPECT_EQ(f.ui.callsOf("restart")[0].text, "プレクス");
    EXPECT_THAT(f.ui.callsOf("done"), IsEmpty());
    EXPECT_EQ(f.log.back(), "restart");
  }
}

TEST(UpdateRun, SilentRunWithoutRebootEndsWithoutWindowAfterTheExecutor) {
  RunFixture f;
  EXPECT_EQ(f.run("silent"), 0);
  EXPECT_THAT(f.ui.calls, IsEmpty());
  EXPECT_EQ(f.log.back(), "executeUpdate");
}

TEST(UpdateRun, RunAlwaysReturnsZero) {
  RunFixture ok;
  EXPECT_EQ(ok.app->InitInstance(), 0);
  RunFixture failed;
  failed.operations.executeResult = 0;
  EXPECT_EQ(failed.run(nullptr), 0);
}

TEST(UpdateRun, ApplicationRegistersItselfWithTheFramework) {
  RunFixture f;
  EXPECT_EQ(CWinApp::current(), f.app.get());
}

}  // namespace
}  // namespace quillet
