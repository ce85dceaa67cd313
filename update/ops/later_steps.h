#pragma once
// The steps of a run that belong to processes, services, program launches,
// shortcuts and the print-service notification. The executor calls them at
// their fixed places through this interface.
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

}  // namespace quillet
