#pragma once
// The executor's steps as the program runs them, each with a log line before
// and its result after; the file placement also names every entry it dealt
// with: placed, left as it was, or failed (with the system's error code).
#include <string>

#include "update/ops/update_steps.h"
#include "update/run/logging_ports.h"

namespace quillet {

class LoggingSteps : public UpdateSteps {
 public:
  LoggingSteps(UpdateSteps& inner, const UpdateJob& job, RunLogger& log,
               const LoggingFiles& files)
      : inner_(inner), job_(job), log_(log), files_(files) {}
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
  // One line before the step (with what it works on) and one with its result.
  template <typename Step>
  int logged(const std::string& step, Step run, const std::string& detail = "") {
    log_.line("step " + step + detail);
    const int result = run();
    log_.line("step " + step + ": result " + std::to_string(result));
    return result;
  }
  UpdateSteps& inner_;
  const UpdateJob& job_;
  RunLogger& log_;
  const LoggingFiles& files_;
};

}  // namespace quillet
