// Stopping services (dependents first) and polling them, starting services,
// and the print-service notice, over the fake service manager.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

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
const ServiceStatus kRunning{kServiceRunning, 0, 0};
// A pending state whose checkpoint rises for ever, and its polls of 3 s until
// the overall limit has passed.
std::vector<ServiceStatus> risingForever(std::uint32_t state) {
  std::vector<ServiceStatus> reports;
  for (std::uint32_t i = 0; i < 500; ++i) reports.push_back({state, i, 30000});
  return reports;
}
const std::vector<std::uint32_t> kPollsToTheLimit(kServiceStepLimitMs / 3000 + 1, 3000);

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
      {"checkpoint rising for ever", risingForever(kServiceStopPending), 0, kPollsToTheLimit, 0},
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

// A start waits for a stop under way and retries a refused start; a stop
// refused while the service starts is sent again once it runs. Rows whose log
// begins with a stop call stopService.
TEST(StartServiceTest, WaitsForPendingStatesAndRetriesRefusedStarts) {
  struct Case {
    const char* what;
    std::function<void(FakeService&)> arrange;
    std::vector<std::string> log;
    std::vector<std::uint32_t> sleeps;
    int result;
  };
  const auto down = [](int refused) {
    return [refused](FakeService& s) { s.running = false, s.refusedStarts = refused; };
  };
  const Case cases[] = {
      {"runs already: left at once", [](FakeService&) {}, {"start S refused"}, {}, 1},
      {"process still leaving", down(2), {"start S refused", "start S refused", "start S"},
       {1000, 1000, 1000}, 1},
      {"program missing", down(99), std::vector<std::string>(6, "start S refused"),
       std::vector<std::uint32_t>(5, 1000), 0},
      {"stop pending past its hint",
       [](FakeService& s) { s.initially = {stopping(0, 0), stopping(0, 0), kStopped}; }, {"start S"},
       {1000, 1000, 1000}, 1},
      {"start never ends",
       [](FakeService& s) { s.running = false, s.afterStart = risingForever(kServiceStartPending); },
       {"start S"}, kPollsToTheLimit, 0},
      {"stop while starting",
       [](FakeService& s) { s.initially = {{kServiceStartPending, 1, 3000}, kRunning}; },
       {"stop S refused", "stop S"}, {1000, 1000}, 1},
  };
  for (const Case& c : cases) {
    FakeServices services;
    c.arrange(services.services["S"]);
    FakeClock clock;
    auto manager = services.openManager();
    const auto call = c.log[0].compare(0, 4, "stop") == 0 ? stopService : startService;
    EXPECT_EQ(call(*manager, "S", clock), c.result) << c.what;
    EXPECT_EQ(services.log, c.log) << c.what;
    EXPECT_EQ(clock.sleeps, c.sleeps) << c.what;
  }
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
