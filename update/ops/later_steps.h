#pragma once
// The steps of a run that belong to processes, services, program launches,
// shortcuts and the print-service notification. The executor calls them at
// their fixed places through this interface; PendingLaterSteps stands in until
// each of them is built.
#include "update/ports/ui_port.h"
#include "update/ports/update_ports.h"
#include "update/script/update_job.h"

namespace quillet {

class LaterSteps {
 public:
  virtual ~LaterSteps() = default;
  // Ends the processes of processesToEnd; 1 when every marked one ended.
  virtual int endListedProcesses() = 0;
  // Starts the launch entries of one phase (kPhasePrevious..kPhaseLater); 1.
  virtual int launchPhase(int phase) = 0;
  // Opens the service manager (none: 0 at once, no step-its, no wait); per
  // listed service one step-it before it is stopped; then the 2000 ms wait
  // and one more step-it; 1.
  virtual int stopListedServices(ProgressWindow& progress) = 0;
  // Opens the service manager (none: 0 at once, no step-its); per listed
  // service one step-it before it is started; 1.
  virtual int startListedServices(ProgressWindow& progress) = 0;
  virtual int createShortcuts() = 0;
  // Sends the print service its notification; 1 when it was delivered.
  virtual int notifyPrintService() = 0;
};

// Stand-in for the steps not built yet. With nothing to do (an empty table)
// it does nothing, silently; with entries it tells the operator that the step
// is not built yet. The service steps still open the service manager and
// take their step-its and wait, so the progress bar and the run's timing are
// already those of the finished tool.
class PendingLaterSteps : public LaterSteps {
 public:
  PendingLaterSteps(const UpdateJob& job, UpdatePorts& ports) : job_(job), ports_(ports) {}
  int endListedProcesses() override;
  int launchPhase(int phase) override;
  int stopListedServices(ProgressWindow& progress) override;
  int startListedServices(ProgressWindow& progress) override;
  int createShortcuts() override;
  int notifyPrintService() override;

 private:
  void reportNotBuilt(const char* utf8What);
  const UpdateJob& job_;
  UpdatePorts& ports_;
};

}  // namespace quillet
