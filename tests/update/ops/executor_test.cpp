// The executor's fixed order of steps, its progress bar and its waits.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_system.h"
#include "tests/update/ops/recording_doubles.h"
#include "update/ops/executor.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class ExecutorOrderTest : public ::testing::Test {
 protected:
  ExecutorOrderTest() { clock.sharedLog = &log; }
  int run() {
    UpdatePorts ports{registry, files, system, clock, ui, services, processes, cp, shell};
    return executeUpdate(*job, ports, steps);
  }
  int count(const std::string& event) const {
    return static_cast<int>(std::count(log.begin(), log.end(), event));
  }

  EventLog log;
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
  FakeClock clock;
  RecordingUi ui{log};
  RecordingSteps steps{*job, log, clock};
  FakeRegistry registry;
  FakeFileSystem files;
  FakeSystem system;
  FakeServices services;
  FakeProcesses processes;
  FakeShell shell;
  Cp932CodePage cp;
};

TEST_F(ExecutorOrderTest, EmptyScriptRunsEveryStepInOrder) {
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_THAT(log, ElementsAreArray<std::string>({
                       "createProgressDialog", "range 9:0", "setStep 1", "stepIt",
                       "endListedProcesses", "launchPhase 1", "stepIt",
                       "stopListedServices", "sleep 2000", "stepIt",
                       "createWorkFolders", "launchPhase 2", "stepIt",
                       "removeTargets", "stepIt",
                       "placeFiles", "stepIt",
                       "launchPhase 3", "stepIt",
                       "startListedServices",
                       "deletePatchRecords", "applyRegistryEntries", "writePatchRecords", "stepIt",
                       "createShortcuts", "launchPhase 4",
                       "stepIt", "sleep 1000", "destroy", "sleep 500"}));
  EXPECT_EQ(count("stepIt"), 9);
  EXPECT_THAT(clock.sleeps, ElementsAre(2000u, 1000u, 500u));
}

TEST_F(ExecutorOrderTest, ServicesAndNotificationFillTheBarExactly) {
  job->serviceToStopCount = 3;
  job->serviceToStartCount = 2;
  job->updatePPD = 1;
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_THAT(log, ElementsAreArray<std::string>({
                       "createProgressDialog", "range 16:0", "setStep 1", "stepIt",
                       "endListedProcesses", "launchPhase 1", "stepIt",
                       "stopListedServices", "stepIt", "stepIt", "stepIt", "sleep 2000", "stepIt",
                       "createWorkFolders", "launchPhase 2", "stepIt",
                       "removeTargets", "stepIt",
                       "placeFiles", "stepIt",
                       "launchPhase 3", "stepIt",
                       "startListedServices", "stepIt", "stepIt",
                       "deletePatchRecords", "applyRegistryEntries", "writePatchRecords", "stepIt",
                       "createShortcuts", "notifyPrintService", "sleep 5000", "stepIt",
                       "sleep 5000", "stepIt", "launchPhase 4",
                       "stepIt", "sleep 1000", "destroy", "sleep 500"}));
  EXPECT_EQ(count("stepIt"), 16);
  EXPECT_EQ(clock.totalSleptMs(), 2000u + 5000u + 5000u + 1000u + 500u);
}

TEST_F(ExecutorOrderTest, FailedCopySkipsTheLaterStepsButRestartsServices) {
  job->serviceToStopCount = 3;
  job->serviceToStartCount = 2;
  job->updatePPD = 1;
  steps.placementResult = kPlacementFailed;
  EXPECT_EQ(run(), kPlacementFailed);
  EXPECT_THAT(log, ElementsAreArray<std::string>({
                       "createProgressDialog", "range 16:0", "setStep 1", "stepIt",
                       "endListedProcesses", "launchPhase 1", "stepIt",
                       "stopListedServices", "stepIt", "stepIt", "stepIt", "sleep 2000", "stepIt",
                       "createWorkFolders", "launchPhase 2", "stepIt",
                       "removeTargets", "stepIt",
                       "placeFiles", "stepIt",
                       "stepIt",  // the "aftercopy" step's, taken without launching
                       "startListedServices", "stepIt", "stepIt",
                       "stepIt",  // the registry step's, taken without editing
                       "stepIt", "sleep 1000", "destroy", "sleep 500"}));
  EXPECT_EQ(count("stepIt"), 14);
}

TEST_F(ExecutorOrderTest, WithoutServiceManagerTheBarEndsShort) {
  steps.serviceManager = false;
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_EQ(count("stepIt"), 8);
  EXPECT_THAT(clock.sleeps, ElementsAre(1000u, 500u));
  EXPECT_EQ(log[1], "range 9:0");
}

TEST_F(ExecutorOrderTest, OnlyFiveCountsAsACompleteCopy) {
  steps.placementResult = 1;
  EXPECT_EQ(run(), kPlacementFailed);
  EXPECT_EQ(count("deletePatchRecords"), 0);
}

TEST_F(ExecutorOrderTest, NotificationOnlyForUpdatePpdOne) {
  job->updatePPD = 2;
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_EQ(count("notifyPrintService"), 0);
  EXPECT_EQ(log[1], "range 13:0");
}

TEST_F(ExecutorOrderTest, RunsWithoutProgressDialog) {
  ui.progressFails = true;
  EXPECT_EQ(run(), kPlacementComplete);
  EXPECT_EQ(count("stepIt"), 0);
  EXPECT_EQ(count("placeFiles"), 1);
  EXPECT_THAT(clock.sleeps, ElementsAre(2000u, 1000u, 500u));
}

TEST(ProgressRange, KeepsTheLowSixteenBits) {
  auto job = std::make_unique<UpdateJob>();
  EXPECT_EQ(progressMaximum(*job), 9);
  EXPECT_EQ(progressRangeParameter(*job), 9ul << 16);
  job->serviceToStopCount = 8;
  job->serviceToStartCount = 8;
  job->updatePPD = 40000;  // 80025 does not fit 16 bits
  EXPECT_EQ(progressMaximum(*job), 80025 & 0xFFFF);
  EXPECT_EQ(progressRangeParameter(*job), static_cast<unsigned long>(80025 & 0xFFFF) << 16);
}

}  // namespace
}  // namespace quillet
