#pragma once
// Every step the executor runs, behind one interface, so that the executor's
// fixed order can be checked with a recording stand-in.
#include <string>
#include <utility>
#include <vector>

#include "update/ops/later_steps.h"

namespace quillet {

class UpdateSteps : public LaterSteps {
 public:
  virtual int createWorkFolders() = 0;
  virtual int removeTargets() = 0;
  // 5 when every file entry from fileCursor on was dealt with, 0 when a copy
  // failed.
  virtual int placeFiles() = 0;
  virtual int deletePatchRecords() = 0;
  virtual int applyRegistryEntries() = 0;
  virtual int writePatchRecords() = 0;
};

// Ends every process but this one whose name (with or without its
// extension) matches one of the count patterns; 1 when each could be ended.
// The update does it before its changes, and so does putting them back.
int endProcessesNamed(const std::string* names, int count, UpdatePorts& ports);

// The real steps over the ports. Each concern lives in its own source file:
// process_steps.cpp, service_steps.cpp, launch_steps.cpp, shortcut_steps.cpp,
// update_steps.cpp (folders, files, registry, patch records).
class StandardSteps : public UpdateSteps {
 public:
  StandardSteps(UpdateJob& job, UpdatePorts& ports) : job_(job), ports_(ports) {}
  int endListedProcesses() override;
  int launchPhase(int phase) override;
  int stopListedServices(ProgressWindow& progress) override;
  int startListedServices(ProgressWindow& progress) override;
  int createShortcuts() override;
  int notifyPrintService() override;
  int createWorkFolders() override;
  int removeTargets() override;
  int placeFiles() override;
  int deletePatchRecords() override;
  int applyRegistryEntries() override;
  int writePatchRecords() override;

 private:
  UpdateJob& job_;
  UpdatePorts& ports_;
  // Per stopped service (as listed), its dependents that the stop step took
  // down, in the order they were asked to stop.
  std::vector<std::pair<std::string, std::vector<std::string>>> stoppedDependents_;
};

}  // namespace quillet
