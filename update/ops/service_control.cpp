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
                        std::uint32_t wanted, const ServiceDeadline& deadline) {
  std::uint32_t since = clock.tickCount();
  std::uint32_t checkPoint = status.checkPoint;
  for (;;) {
    clock.sleepMs(waitInterval(status.waitHint));
    if (!service.queryStatus(&status)) return 0;
    if (status.currentState == wanted) return 1;
    // A checkpoint that rises forever would otherwise hold the run forever.
    if (deadline.passed()) return 0;
    if (status.checkPoint > checkPoint) {
      since = clock.tickCount();
      checkPoint = status.checkPoint;
    } else if (clock.tickCount() - since > status.waitHint) {
      return 0;
    }
  }
}

int waitWhilePending(ServiceHandle& service, ClockPort& clock, ServiceStatus* status,
                     std::uint32_t pending, const ServiceDeadline& deadline) {
  while (status->currentState == pending) {
    if (deadline.passed()) return 0;
    clock.sleepMs(waitInterval(status->waitHint));
    if (!service.queryStatus(status)) return 0;
  }
  return 1;
}

int stopService(ServiceManager& manager, const std::string& name, ClockPort& clock) {
  std::unique_ptr<ServiceHandle> service = manager.openService(name);
  if (!service) return 0;
  const ServiceDeadline deadline(clock);
  ServiceStatus status;
  if (!service->control(kServiceControlStop)) {
    // A service still starting refuses the stop, with an error that differs
    // between systems: its state tells, not the error.
    if (!service->queryStatus(&status) || status.currentState != kServiceStartPending ||
        !waitWhilePending(*service, clock, &status, kServiceStartPending, deadline) ||
        status.currentState != kServiceRunning || !service->control(kServiceControlStop))
      return 0;
  }
  if (!service->queryStatus(&status)) return 0;
  return waitForServiceState(*service, clock, status, kServiceStopped, deadline);
}

int stopServiceTree(ServiceManager& manager, const std::string& name, ClockPort& clock,
                    std::vector<std::string>* stoppedDependents) {
  std::unique_ptr<ServiceHandle> service = manager.openService(name);
  if (!service) return 0;
  const std::vector<std::string> dependents = service->activeDependents();
  for (const std::string& dependent : dependents) {
    stopServiceTree(manager, dependent, clock, stoppedDependents);
    if (stoppedDependents != nullptr) stoppedDependents->push_back(dependent);
  }
  service.reset();
  stopService(manager, name, clock);
  return 1;
}

int startService(ServiceManager& manager, const std::string& name, ClockPort& clock) {
  std::unique_ptr<ServiceHandle> service = manager.openService(name);
  if (!service) return 0;
  const ServiceDeadline deadline(clock);
  ServiceStatus status;
  if (!service->queryStatus(&status)) return 0;
  for (int attempt = 1;; ++attempt) {
    // Every start is refused while a stop is under way, also one that has
    // passed its wait hint: let it end first.
    if (!waitWhilePending(*service, clock, &status, kServiceStopPending, deadline)) return 0;
    if (service->start()) break;
    if (!service->queryStatus(&status)) return 0;
    if (status.currentState == kServiceRunning) return 1;  // it runs already: left at once
    if (status.currentState == kServiceStartPending) break;  // someone else starts it
    // Down, yet refused: a stopped service's process may still be on its way
    // out for a moment.
    if (attempt >= kServiceStartAttempts || deadline.passed()) return 0;
    clock.sleepMs(kStartRetryPauseMs);
    if (!service->queryStatus(&status)) return 0;
  }
  if (!service->queryStatus(&status)) return 0;
  return waitForServiceState(*service, clock, status, kServiceRunning, deadline);
}

int countServicesNotRunning(ServiceManager& manager, const std::string* names, int count) {
  int notRunning = 0;
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<ServiceHandle> service = manager.openService(names[i]);
    if (!service) continue;  // not installed: nothing to run
    ServiceStatus status;
    if (!service->queryStatus(&status) || status.currentState != kServiceRunning) ++notRunning;
  }
  return notRunning;
}

}  // namespace quillet
