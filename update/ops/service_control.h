#pragma once
// Stopping services (dependents first) and waiting for a service to reach a
// state, by polling its status.
#include <cstdint>
#include <string>

#include "update/ports/clock_port.h"
#include "update/ports/services_port.h"

namespace quillet {

// The pause between two status polls: a tenth of the service's wait hint,
// kept within 1000..10000 ms.
std::uint32_t waitInterval(std::uint32_t waitHint);

// Polls the service until it reports wanted (1), a query fails (0) or more
// than its current wait hint passes without a checkpoint advance (0). Each
// advance of the checkpoint restarts the timer. status is the status the
// service reported last before the wait.
int waitForServiceState(ServiceHandle& service, ClockPort& clock, ServiceStatus status,
                        std::uint32_t wanted);

// Sends the stop control and waits for the stopped state: 1 when reached,
// 0 when the service cannot be opened, refuses the stop or does not stop in
// time.
int stopService(ServiceManager& manager, const std::string& name, ClockPort& clock);

// Stops the active dependents of the service (each after its own
// dependents), then the service itself. 0 when the service cannot be opened,
// else 1 whatever the stops gave.
int stopServiceTree(ServiceManager& manager, const std::string& name, ClockPort& clock);

}  // namespace quillet
