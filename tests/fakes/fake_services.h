#pragma once
// A service control manager that either opens (administrator) or does not,
// with scripted services: each answers the status queries after a stop or a
// start from a list of reports (the last one repeats).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/change_gate.h"
#include "tests/fakes/fake_file_system.h"
#include "update/ports/services_port.h"

namespace quillet {

struct FakeService {
  bool running = true;
  std::vector<std::string> dependents;  // active dependents, in this order
  // Reports of the queries after a stop (resp. a start); the first one is
  // the query right after the control.
  std::vector<ServiceStatus> afterStop{{kServiceStopped, 0, 0}};
  std::vector<ServiceStatus> afterStart{{kServiceRunning, 0, 0}};
  // Reports of the queries before any control (a service still starting);
  // a stop is refused while the report due is START_PENDING.
  std::vector<ServiceStatus> initially;
  int refusedStarts = 0;  // refused starts of the stopped service (process leaving)
  bool acceptsControl128 = true;
  // A module the service holds loaded while it runs (empty: none).
  std::string module;
  std::uint64_t loadedModule = 0;
  // Internal: the reports being answered and how many were given.
  const std::vector<ServiceStatus>* reports = nullptr;
  std::size_t queries = 0;
};

class FakeServices : public ServicesPort {
 public:
  std::unique_ptr<ServiceManager> openManager() override;

  bool administrator = true;  // whether opening the manager succeeds
  int openCalls = 0;
  int openManagers = 0;       // managers opened and not yet closed
  int openServices = 0;       // service handles opened and not yet closed
  std::map<std::string, FakeService> services;
  // "stop NAME", "start NAME", "control NAME 128", in call order; refused
  // ones end in " refused".
  std::vector<std::string> log;
  // After a power cut no service takes a control or a start; when the power
  // is back the machine restarts and the running services load their
  // modules anew (given files, the file system they load them from).
  ChangeGate* gate = nullptr;
  FakeFileSystem* files = nullptr;
  // Loads the modules of the running services and unloads those of the
  // stopped ones.
  void syncModules();

 private:
  bool restartWatched_ = false;
};

}  // namespace quillet
