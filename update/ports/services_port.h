#pragma once
// Service control manager access. Opening the manager with full access is
// also the tool's test for administrator rights.
#include <memory>

namespace quillet {

// An open handle to the local service control manager; closed on destruction.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
};

class ServicesPort {
 public:
  virtual ~ServicesPort() = default;
  // OpenSCManagerA(local machine, active database, SC_MANAGER_ALL_ACCESS);
  // null when it fails.
  virtual std::unique_ptr<ServiceManager> openManager() = 0;
};

}  // namespace quillet
