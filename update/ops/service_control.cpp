#include "update/ops/service_control.h"

#include <memory>
#include <vector>

namespace quillet {

namespace {
constexpr std::uint32_t kShortestPoll = 1000;
constexpr std::uint32_t kLongestPoll = 10000;
}  // namespace

std::uint32_t waitInterval(std::uint32_t waitHint) {
  const std::uint32_t interval = waitHint / 10;
  if (interval < kShortestPoll) return kShortestPoll;
  if (interval > kLongestPoll) return kLongestPoll;
  return interval;
}

int waitForServiceState(ServiceHandle& service, ClockPort& clock, ServiceStatus status,
                        std::uint32_t wanted) {
  std::uint32_t since = clock.tickCount();
  std::uint32_t checkPoint = status.checkPoint;
  for (;;) {
    clock.sleepMs(waitInterval(status.waitHint));
    if (!service.queryStatus(&status)) return 0;
    if (status.currentState == wanted) return 1;
    if (status.checkPoint > checkPoint) {
      since = clock.tickCount();
      checkPoint = status.checkPoint;
    } else if (clock.tickCount() - since > status.waitHint) {
      return 0;
    }
  }
}

int stopService(ServiceManager& manager, const std::string& name, ClockPort& clock) {
  std::unique_ptr<ServiceHandle> service = manager.openService(name);
  if (!service || !service->control(kServiceControlStop)) return 0;
  ServiceStatus status;
  if (!service->queryStatus(&status)) return 0;
  return waitForServiceState(*service, clock, status, kServiceStopped);
}

int stopServiceTree(ServiceManager& manager, const std::string& name, ClockPort& clock) {
  std::unique_ptr<ServiceHandle> service = manager.openService(name);
  if (!service) return 0;
  const std::vector<std::string> dependents = service->activeDependents();
  for (const std::string& dependent : dependents) stopServiceTree(manager, dependent, clock);
  service.reset();
  stopService(manager, name, clock);
  return 1;
}

}  // namespace quillet
