// The user-interface and services fakes that other suites rely on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_ui.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;

TEST(FakeUi, RecordsEveryCallInOrderWithScriptedResults) {
  FakeUi ui;
  std::vector<std::string> shared;
  ui.sharedLog = &shared;
  ui.startResult = kIdCancel;
  ui.modalResult = 7;
  ui.messageBox("a");
  EXPECT_EQ(ui.startDialog("C:\\m"), kIdCancel);
  EXPECT_EQ(ui.versionAbortDialog("one", "two"), 7);
  EXPECT_EQ(ui.adminAbortDialog(), 7);
  EXPECT_EQ(ui.restartDialog("P"), 7);
  EXPECT_EQ(ui.doneDialog("Q"), 7);
  ASSERT_EQ(ui.calls.size(), 6u);
  EXPECT_EQ(ui.calls[2].text, "one");
  EXPECT_EQ(ui.calls[2].text2, "two");
  EXPECT_EQ(ui.calls[5].text, "Q");
  EXPECT_THAT(shared, ElementsAre("message", "start", "versionAbort", "adminAbort", "restart",
                                  "done"));
  EXPECT_EQ(ui.callsOf("message").size(), 1u);
}

TEST(FakeUi, ProgressWindowLogsCallsAndRefusesUseAfterDestroy) {
  FakeUi ui;
  auto progress = ui.createProgressDialog();
  ASSERT_NE(progress, nullptr);
  progress->setRange(0x90000);
  progress->setStep(1);
  progress->stepIt();
  progress->stepIt();
  progress->destroy();
  progress->stepIt();
  EXPECT_THAT(ui.progress.calls, ElementsAre("range 0x90000", "step 1", "stepIt", "stepIt",
                                             "destroy", "after destroy: stepIt"));
  EXPECT_EQ(ui.progress.stepIts, 2);
  EXPECT_TRUE(ui.progress.destroyed);
  progress.reset();  // dropping a destroyed window adds nothing
  EXPECT_EQ(ui.progress.calls.size(), 6u);
}

TEST(FakeUi, ProgressWindowDroppedUndestroyedIsDestroyed) {
  FakeUi ui;
  ui.createProgressDialog().reset();
  EXPECT_TRUE(ui.progress.destroyed);
  ui.progressFails = true;
  EXPECT_EQ(ui.createProgressDialog(), nullptr);
}

TEST(FakeServices, OpensOnlyForAdministratorsAndCountsOpenManagers) {
  FakeServices services;
  {
    auto manager = services.openManager();
    EXPECT_NE(manager, nullptr);
    EXPECT_EQ(services.openManagers, 1);
  }
  EXPECT_EQ(services.openManagers, 0);
  services.administrator = false;
  EXPECT_EQ(services.openManager(), nullptr);
  EXPECT_EQ(services.openCalls, 2);
}

}  // namespace
}  // namespace quillet
