// Stopping services (dependents first) and polling them, starting services,
// and the print-service notice, over the fake service manager.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_services.h"
#include "update/ops/service_control.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

ServiceStatus stopping(std::uint32_t checkPoint, std::uint32_t hint) {
  return ServiceStatus{kServiceStopPending, checkPoint, hint};
}
const ServiceStatus kStopped{kServiceStopped, 0, 0};

TEST(StopServiceTest, PollsByTheWaitHintAndGivesUpWithoutCheckpointProgress) {
  struct Case {
    const char* what;
    std::vector<ServiceStatus> reports;  // the first answers the query right after the stop
    std::uint32_t firstTick;
    std::vector<std::uint32_t> sleeps;
    int result;
  };
  const Case cases[] = {
      {"hint 30000", {stopping(0, 30000), stopping(1, 30000), stopping(2, 30000), kStopped}, 0,
       {3000, 3000, 3000}, 1},
      {"hint 30000 across the tick wrap", {stopping(0, 30000), stopping(1, 30000), kStopped},
       0xFFFFF000u, {3000, 3000}, 1},
      {"hint 0, no progress", {stopping(0, 0), stopping(0, 0)}, 0, {1000}, 0},
      {"hint 0, progress twice", {stopping(0, 0), stopping(1, 0), stopping(2, 0), stopping(2, 0)}, 0,
       {1000, 1000, 1000}, 0},
      {"hint 5000, no progress", {stopping(3, 5000)}, 0, std::vector<std::uint32_t>(6, 1000), 0},
      {"hint 200000 polls every 10 s", {stopping(0, 200000), kStopped}, 0, {10000}, 1},
      {"hint raised while waiting", {stopping(0, 0), stopping(0, 90000), kStopped}, 0, {1000, 9000}, 1},
  };
  for (const Case& c : cases) {
    FakeServices services;
    services.services["Spool"].afterStop = c.reports;
    FakeClock clock;
    clock.ticks = c.firstTick;
    auto manager = services.openManager();
    EXPECT_EQ(stopService(*manager, "Spool", clock), c.result) << c.what;
    EXPECT_THAT(clock.sleeps, ElementsAreArray(c.sleeps)) << c.what;
    EXPECT_EQ(services.openServices, 0) << c.what;
  }
}

TEST(StopServiceTest, DependentsStopFirstRecursively) {
  FakeServices services;
  services.services["A"].dependents = {"B", "C", "E"};
  services.services["B"].dependents = {"D"};
  services.services["C"];
  services.services["D"];
  services.services["E"].running = false;  // not active: left alone
  FakeClock clock;
  auto manager = services.openManager();
  EXPECT_EQ(stopServiceTree(*manager, "A", clock), 1);
  EXPECT_THAT(services.log, ElementsAre("stop D", "stop B", "stop C", "stop A"));
  EXPECT_EQ(stopServiceTree(*manager, "missing", clock), 0);
  EXPECT_EQ(stopServiceTree(*manager, "E", clock), 1);  // refused stop: still 1
  EXPECT_EQ(services.log.back(), "stop E refused");
  EXPECT_EQ(services.openServices, 0);
}

TEST(WaitIntervalTest, TenthOfTheHintWithinOneToTenSeconds) {
  EXPECT_EQ(waitInterval(0), 1000u);
  EXPECT_EQ(waitInterval(10009), 1000u);
  EXPECT_EQ(waitInterval(12345), 1234u);
  EXPECT_EQ(waitInterval(100000), 10000u);
  EXPECT_EQ(waitInterval(0xFFFFFFFF), 10000u);
}

}  // namespace
}  // namespace quillet
