#pragma once
// Service control manager access. Opening the manager with full access is
// also the tool's test for administrator rights.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillet {

// dwCurrentState values of a service status.
enum : std::uint32_t {
  kServiceStopped = 1,
  kServiceStartPending = 2,
  kServiceStopPending = 3,
  kServiceRunning = 4,
};

constexpr std::uint32_t kServiceControlStop = 1;
// The first control code of the range services define for themselves; the
// print service takes it as the notice that the update is done.
constexpr std::uint32_t kPrintServiceNotice = 128;

// The fields of SERVICE_STATUS the waits look at.
struct ServiceStatus {
  std::uint32_t currentState = 0;
  std::uint32_t checkPoint = 0;
  std::uint32_t waitHint = 0;
};

// One open service (SERVICE_ALL_ACCESS); closed on destruction.
class ServiceHandle {
 public:
  virtual ~ServiceHandle() = default;
  // ControlService; false when the service refused the control.
  virtual bool control(std::uint32_t code) = 0;
  // QueryServiceStatus; false when the query failed.
  virtual bool queryStatus(ServiceStatus* status) = 0;
  // StartServiceA without arguments; false when it failed (for example
  // because the service already runs).
  virtual bool start() = 0;
  // Names of the active dependent services (EnumDependentServicesA with
  // SERVICE_ACTIVE), in the order the manager returns them; empty when there
  // are none or the enumeration failed.
  virtual std::vector<std::string> activeDependents() = 0;
};

// An open handle to the local service control manager; closed on destruction.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // OpenServiceA(name, SERVICE_ALL_ACCESS); null when it fails.
  virtual std::unique_ptr<ServiceHandle> openService(const std::string& name) = 0;
};

class ServicesPort {
 public:
  virtual ~ServicesPort() = default;
  // OpenSCManagerA(local machine, active database, SC_MANAGER_ALL_ACCESS);
  // null when it fails.
  virtual std::unique_ptr<ServiceManager> openManager() = 0;
};

}  // namespace quillet
