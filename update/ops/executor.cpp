#include "update/ops/executor.h"

#include <memory>

namespace quillet {

namespace {

constexpr std::uint32_t kWaitAfterNotification = 5000;
constexpr std::uint32_t kWaitBeforeClosing = 1000;
constexpr std::uint32_t kWaitAfterClosing = 500;

// Stands in when the progress dialog could not be created: the run goes on
// without a bar.
class NoProgress : public ProgressWindow {
 public:
  void setRange(unsigned long) override {}
  void setStep(int) override {}
  void stepIt() override {}
  void destroy() override {}
};

}  // namespace

int progressMaximum(const UpdateJob& job) {
  const int steps = job.serviceToStopCount + job.serviceToStartCount + 2 * job.updatePPD + 9;
  return steps & 0xFFFF;
}

unsigned long progressRangeParameter(const UpdateJob& job) {
  return static_cast<unsigned long>(progressMaximum(job)) << 16;  // minimum 0 in the low word
}

int executeUpdate(UpdateJob& job, UpdatePorts& ports, UpdateSteps& steps) {
  std::unique_ptr<ProgressWindow> dialog = ports.ui.createProgressDialog();
  NoProgress noProgress;
  ProgressWindow& progress = dialog ? *dialog : noProgress;
  progress.setRange(progressRangeParameter(job));
  progress.setStep(1);
  progress.stepIt();

  steps.endListedProcesses();
  steps.launchPhase(kPhasePrevious);
  progress.stepIt();
  steps.stopListedServices(progress);  // steps and waits on its own
  steps.createWorkFolders();
  steps.launchPhase(kPhaseBeforeCopy);
  progress.stepIt();
  steps.removeTargets();
  progress.stepIt();
  const int placementResult =
      steps.placeFiles() == kPlacementComplete ? kPlacementComplete : kPlacementFailed;
  progress.stepIt();
  const bool complete = placementResult == kPlacementComplete;

  if (complete) steps.launchPhase(kPhaseAfterCopy);
  progress.stepIt();
  steps.startListedServices(progress);  // also after a failed copy
  if (complete) {
    steps.deletePatchRecords();
    steps.applyRegistryEntries();
    steps.writePatchRecords();
  }
  progress.stepIt();
  if (complete) {
    steps.createShortcuts();
    if (job.updatePPD == 1) {
      steps.notifyPrintService();
      ports.clock.sleepMs(kWaitAfterNotification);
      progress.stepIt();
      ports.clock.sleepMs(kWaitAfterNotification);
      progress.stepIt();
    }
    steps.launchPhase(kPhaseLater);
  }

  progress.stepIt();
  ports.clock.sleepMs(kWaitBeforeClosing);
  progress.destroy();
  dialog.reset();
  ports.clock.sleepMs(kWaitAfterClosing);
  return placementResult;
}

int executeUpdate(UpdateJob& job, UpdatePorts& ports) {
  StandardSteps steps(job, ports);
  return executeUpdate(job, ports, steps);
}

}  // namespace quillet
