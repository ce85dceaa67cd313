// The executor with the real steps over the fakes: what a run does to files,
// registry, services, progress bar and clock, and which programs and shortcuts
// it makes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/update/fake_machine.h"
#include "update/ops/executor.h"
#include "update/ops/patch_records.h"
#include "update/ops/shortcuts.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;

const std::string kApp = "C:\\Plexor";
const std::string kMedia = "D:\\media";

class ExecutorRunTest : public ::testing::Test, protected FakeMachine {
 protected:
  void SetUp() override {
    files.addFolder(kApp);
    files.addFolder(kMedia);
    registry.createKeyPath("SOFTWARE\\norvane\\Plexor");
  }
  int run() {
    return executeUpdate(*job, ports);
  }
  void addFile(const std::string& name) {
    files.addFile(kMedia + "\\" + name, "new " + name, 100);
    FileEntry& entry = job->fileEntries[job->fileEntryCount++];
    entry.sourcePath = kMedia + "\\" + name;
    entry.targetPath = kApp + "\\" + name;
  }
  void addScriptEffects() {
    job->workFolders[job->workFolderCount++] = kApp + "\\work";
    FileEntry& removal = job->fileEntries[job->fileEntryCount++];
    removal.targetPath = kApp + "\\*.old";
    removal.removeTarget = 1;
    files.addFile(kApp + "\\a.old", "stale");
    RegistryEntry& reg = job->registryEntries[job->registryEntryCount++];
    reg.operation = kRegSetString;
    reg.keyPath = "SOFTWARE\\norvane\\Plexor\\Configuration";
    reg.valueName = "SpoolMode";
    reg.valueData = "1";
    PatchInfoEntry& patch = job->patchInfoEntries[job->patchInfoEntryCount++];
    patch = PatchInfoEntry{"105", "Fix", "2001/02/03", "4:05:06"};
    PatchDeleteEntry& del = job->patchDeleteEntries[job->patchDeleteEntryCount++];
    del = PatchDeleteEntry{"", kPatchDeleteAll};
    registry.setString(std::string(kPatchKeyPath) + "\\100", "Title", "old");
  }

  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
};

TEST_F(ExecutorRunTest, EmptyScriptWithServiceManager) {
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_EQ(ui.progress.calls.front(), "range 0x90000");
  EXPECT_EQ(ui.progress.calls[1], "step 1");
  EXPECT_EQ(ui.progress.stepIts, 9);
  EXPECT_TRUE(ui.progress.destroyed);
  EXPECT_THAT(clock.sleeps, ElementsAre(2000u, 1000u, 500u));
  EXPECT_TRUE(ui.callsOf("message").empty());
  EXPECT_EQ(services.openManagers, 0);  // every manager handle closed again
}

TEST_F(ExecutorRunTest, EmptyScriptWithoutServiceManager) {
  services.administrator = false;
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_EQ(ui.progress.stepIts, 8);
  EXPECT_THAT(clock.sleeps, ElementsAre(1000u, 500u));
}

TEST_F(ExecutorRunTest, ServicesStopStartAndNoticeTakeTheirStepsAndWaits) {
  for (const char* name : {"S1", "S2", "S3"}) job->servicesToStop[job->serviceToStopCount++] = name;
  for (const char* name : {"S2", "S4"}) job->servicesToStart[job->serviceToStartCount++] = name;
  for (const char* name : {"S1", "S2", "S3", "Lindquay"}) services.services[name];
  services.services["S4"].running = false;
  job->updatePPD = 1;
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_EQ(ui.progress.calls.front(), "range 0x100000");
  EXPECT_EQ(ui.progress.stepIts, 16);
  EXPECT_THAT(services.log, ElementsAre("stop S1", "stop S2", "stop S3", "start S2", "start S4",
                                        "control Lindquay 128"));
  // One poll per stop and start, then the fixed waits.
  EXPECT_THAT(clock.sleeps, ElementsAre(1000u, 1000u, 1000u, 2000u, 1000u, 1000u, 5000u, 5000u,
                                        1000u, 500u));
  EXPECT_TRUE(ui.callsOf("message").empty());
  EXPECT_EQ(services.openManagers + services.openServices, 0);
}

// Dependents the stop took down run again after the listed service, in
// reverse stop order.
TEST_F(ExecutorRunTest, StoppedDependentsStartAgainAfterTheListedService) {
  job->servicesToStop[job->serviceToStopCount++] = "A";
  job->servicesToStart[job->serviceToStartCount++] = "A";
  for (const char* name : {"C", "D"}) services.services[name];
  services.services["A"].dependents = {"B", "C"};
  services.services["B"].dependents = {"D"};
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_THAT(services.log, ElementsAre("stop D", "stop B", "stop C", "stop A", "start A",
                                        "start C", "start B", "start D"));
}

TEST_F(ExecutorRunTest, WithoutServiceManagerNoServiceWaitsStepsOrNotice) {
  services.administrator = false;
  job->servicesToStop[job->serviceToStopCount++] = "S1";
  job->servicesToStart[job->serviceToStartCount++] = "S1";
  services.services["S1"];
  job->updatePPD = 1;
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_EQ(ui.progress.stepIts, 10);  // 8 fixed + 2 after the notice; none per service
  EXPECT_TRUE(services.log.empty());
  EXPECT_THAT(clock.sleeps, ElementsAre(5000u, 5000u, 1000u, 500u));
}

TEST_F(ExecutorRunTest, CompleteRunPlacesFilesEditsRegistryAndRecordsPatch) {
  addScriptEffects();
  addFile("a.dll");
  addFile("b.txt");
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_EQ(job->fileCursor, 3);
  EXPECT_TRUE(files.isFolder(kApp + "\\work"));
  EXPECT_FALSE(files.exists(kApp + "\\a.old"));
  EXPECT_EQ(files.contents(kApp + "\\a.dll"), "new a.dll");
  EXPECT_EQ(files.contents(kApp + "\\b.txt"), "new b.txt");
  EXPECT_EQ(registry.stringValue("SOFTWARE\\norvane\\Plexor\\Configuration", "SpoolMode"), "1");
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("105"));
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(ExecutorRunTest, CopyFailureOnFirstEntryChangesNoRegistry) {
  addScriptEffects();
  job->servicesToStop[job->serviceToStopCount++] = "S";
  job->servicesToStart[job->serviceToStartCount++] = "S";
  services.services["S"];
  addFile("a.dll");
  addFile("b.txt");
  files.failCopyFrom(kMedia + "\\a.dll");
  EXPECT_EQ(run(), kPlacementFailed);
  EXPECT_EQ(job->fileCursor, 1);  // the removal entry is passed, a.dll failed
  EXPECT_TRUE(files.isFolder(kApp + "\\work"));
  EXPECT_FALSE(files.exists(kApp + "\\a.old"));  // removal still ran
  EXPECT_FALSE(files.exists(kApp + "\\b.txt"));
  EXPECT_FALSE(registry.keyExists("SOFTWARE\\norvane\\Plexor\\Configuration"));
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("100"));
  // Start services still ran: 9 fixed + 1 stop + 1 start, no notification.
  EXPECT_EQ(ui.progress.stepIts, 11);
  EXPECT_EQ(ui.progress.calls.front(), "range 0xB0000");
  EXPECT_THAT(services.log, ElementsAre("stop S", "start S"));
}

// Each phase's program sees the run as far as its place in the order: only
// the "aftercopy" and "later" programs find the copied file; shortcuts exist
// before the "later" program starts.
TEST_F(ExecutorRunTest, ProgramsOfEachPhaseStartAtTheirPlace) {
  addFile("a.dll");
  files.addFolder("C:\\Desktop");
  const int phases[] = {kPhaseLater, kPhaseAfterCopy, kPhaseBeforeCopy, kPhasePrevious};
  for (int phase : phases) {
    LaunchEntry& entry = job->launchEntries[job->launchEntryCount++];
    entry.commandPath = "C:\\tools\\seen.exe";
    entry.parameters = std::to_string(phase);
    entry.launchKind = kLaunchWithParameters;
    entry.phase = phase;
  }
  job->shortcutEntries[0] = ShortcutEntry{kApp + "\\a.dll", "C:\\Desktop\\A.url", kLinkInternet};
  job->shortcutEntries[1] = ShortcutEntry{kApp + "\\a.dll", "C:\\Desktop\\A.lnk", kLinkShell};
  job->shortcutEntryCount = 2;
  std::vector<std::string> seen;
  shell.onStart = [&](const std::string& commandLine) {
    seen.push_back(commandLine + (files.exists(kApp + "\\a.dll") ? " copied" : " absent") +
                   (files.exists("C:\\Desktop\\A.lnk") ? " linked" : ""));
  };
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_THAT(seen, ElementsAre("C:\\tools\\seen.exe 1 absent", "C:\\tools\\seen.exe 2 absent",
                                "C:\\tools\\seen.exe 3 copied", "C:\\tools\\seen.exe 4 copied linked"));
  EXPECT_EQ(files.contents("C:\\Desktop\\A.url"), internetShortcutText(kApp + "\\a.dll", 0));
  EXPECT_TRUE(ui.callsOf("message").empty());
}

}  // namespace
}  // namespace quillet
