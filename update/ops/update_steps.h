#pragma once
// Every step the executor runs, behind one interface, so that the executor's
// fixed order can be checked with a recording stand-in.
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

// The real steps of this library over the ports; the later steps are
// delegated.
class StandardSteps : public UpdateSteps {
 public:
  StandardSteps(UpdateJob& job, UpdatePorts& ports, LaterSteps& later)
      : job_(job), ports_(ports), later_(later) {}
  int endListedProcesses() override { return later_.endListedProcesses(); }
  int launchPhase(int phase) override { return later_.launchPhase(phase); }
  int stopListedServices(ProgressWindow& progress) override {
    return later_.stopListedServices(progress);
  }
  int startListedServices(ProgressWindow& progress) override {
    return later_.startListedServices(progress);
  }
  int createShortcuts() override { return later_.createShortcuts(); }
  int notifyPrintService() override { return later_.notifyPrintService(); }
  int createWorkFolders() override;
  int removeTargets() override;
  int placeFiles() override;
  int deletePatchRecords() override;
  int applyRegistryEntries() override;
  int writePatchRecords() override;

 private:
  UpdateJob& job_;
  UpdatePorts& ports_;
  LaterSteps& later_;
};

}  // namespace quillet
