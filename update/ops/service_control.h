#pragma once
// Stopping services (dependents first), starting them again, and waiting for
// a service to reach a state, by polling its status.
#include <cstdint>
#include <string>
#include <vector>

#include "update/ports/clock_port.h"
#include "update/ports/services_port.h"

namespace quillet {

// Overall limit of one service's stop and of its start (waits for a pending
// state included). The polling rules come first; this only ends a service
// that keeps reporting progress forever, which no healthy service does for
// two minutes.
constexpr std::uint32_t kServiceStepLimitMs = 120000;
// A start refused while the service is down (its process still leaving the
// dispatcher, a program that cannot start) is tried this often in all,
// kStartRetryPauseMs apart.
constexpr int kServiceStartAttempts = 6;
constexpr std::uint32_t kStartRetryPauseMs = 1000;

// Measures one service's stop or start against kServiceStepLimitMs.
class ServiceDeadline {
 public:
  explicit ServiceDeadline(ClockPort& clock) : clock_(clock), started_(clock.tickCount()) {}
  bool passed() const { return clock_.tickCount() - started_ > kServiceStepLimitMs; }

 private:
  ClockPort& clock_;
  std::uint32_t started_;
};

// The pause between two status polls: a tenth of the service's wait hint,
// kept within 1000..10000 ms.
std::uint32_t waitInterval(std::uint32_t waitHint);

// Polls the service until it reports wanted (1), a query fails (0), more
// than its current wait hint passes without a checkpoint advance (0), or the
// deadline passes (0). Each advance of the checkpoint restarts the hint's
// timer. status is the status the service reported last before the wait.
int waitForServiceState(ServiceHandle& service, ClockPort& clock, ServiceStatus status,
                        std::uint32_t wanted, const ServiceDeadline& deadline);

// Polls while the service reports the pending state, whatever its wait hint
// (a slow service is no hung one), until the deadline. 1 when it left that
// state (*status then holds the new one), 0 when a query failed or time ran
// out.
int waitWhilePending(ServiceHandle& service, ClockPort& clock, ServiceStatus* status,
                     std::uint32_t pending, const ServiceDeadline& deadline);

// Sends the stop control and waits for the stopped state: 1 when reached,
// 0 when the service cannot be opened, refuses the stop or does not stop in
// time. A service still starting refuses the stop: it is given until it runs,
// then stopped.
int stopService(ServiceManager& manager, const std::string& name, ClockPort& clock);

// Stops the active dependents of the service (each after its own
// dependents), then the service itself. 0 when the service cannot be opened,
// else 1 whatever the stops gave. When stoppedDependents is given, the
// dependents asked to stop are appended in the order they were asked.
int stopServiceTree(ServiceManager& manager, const std::string& name, ClockPort& clock,
                    std::vector<std::string>* stoppedDependents = nullptr);

// Starts the service and waits until it runs: 1 when it runs (also when it
// ran already), 0 when it cannot be opened or does not come up. A stop still
// under way is waited for first; a start refused while the service is down
// is tried again.
int startService(ServiceManager& manager, const std::string& name, ClockPort& clock);

// How many of the named services are installed but do not run; services
// that are not installed do not count.
int countServicesNotRunning(ServiceManager& manager, const std::string* names, int count);

}  // namespace quillet
