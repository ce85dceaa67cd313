#pragma once
// Test doubles that write every call into one shared event log, so that the
// executor's whole order (steps, progress calls, waits) can be checked.
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/fake_clock.h"
#include "update/ops/update_steps.h"
#include "update/ports/ui_port.h"

namespace quillet {

using EventLog = std::vector<std::string>;

class RecordingProgress : public ProgressWindow {
 public:
  explicit RecordingProgress(EventLog& log) : log_(log) {}
  void setRange(unsigned long packedRange) override {
    log_.push_back("range " + std::to_string(packedRange >> 16) + ":" +
                   std::to_string(packedRange & 0xFFFF));
  }
  void setStep(int step) override { log_.push_back("setStep " + std::to_string(step)); }
  void stepIt() override { log_.push_back("stepIt"); }
  void destroy() override { log_.push_back("destroy"); }

 private:
  EventLog& log_;
};

class RecordingUi : public UserInterfacePort {
 public:
  explicit RecordingUi(EventLog& log) : log_(log) {}
  void messageBox(const std::string& text) override { log_.push_back("message " + text); }
  int startDialog(const std::string&) override { return log("startDialog"); }
  int versionAbortDialog(const std::string&, const std::string&) override {
    return log("versionAbortDialog");
  }
  int adminAbortDialog() override { return log("adminAbortDialog"); }
  int restartDialog(const std::string&) override { return log("restartDialog"); }
  int doneDialog(const std::string&) override { return log("doneDialog"); }
  std::unique_ptr<ProgressWindow> createProgressDialog() override {
    log_.push_back("createProgressDialog");
    if (progressFails) return nullptr;
    return std::make_unique<RecordingProgress>(log_);
  }
  bool progressFails = false;

 private:
  int log(const char* what) {
    log_.push_back(what);
    return 1;
  }
  EventLog& log_;
};

// Steps that only record. The service steps behave as the finished steps do
// towards the bar and the clock: without a service manager nothing; with it
// one step-it per service, and for the stop step the 2000 ms wait and one
// more step-it.
class RecordingSteps : public UpdateSteps {
 public:
  RecordingSteps(const UpdateJob& job, EventLog& log, ClockPort& clock)
      : job_(job), log_(log), clock_(clock) {}
  int endListedProcesses() override { return record("endListedProcesses"); }
  int launchPhase(int phase) override { return record("launchPhase " + std::to_string(phase)); }
  int stopListedServices(ProgressWindow& progress) override {
    record("stopListedServices");
    if (!serviceManager) return 0;
    for (int i = 0; i < job_.serviceToStopCount; ++i) progress.stepIt();
    clock_.sleepMs(2000);
    progress.stepIt();
    return 1;
  }
  int startListedServices(ProgressWindow& progress) override {
    record("startListedServices");
    if (!serviceManager) return 0;
    for (int i = 0; i < job_.serviceToStartCount; ++i) progress.stepIt();
    return 1;
  }
  int createShortcuts() override { return record("createShortcuts"); }
  int notifyPrintService() override { return record("notifyPrintService"); }
  int createWorkFolders() override { return record("createWorkFolders"); }
  int removeTargets() override { return record("removeTargets"); }
  int placeFiles() override {
    record("placeFiles");
    return placementResult;
  }
  int deletePatchRecords() override { return record("deletePatchRecords"); }
  int applyRegistryEntries() override { return record("applyRegistryEntries"); }
  int writePatchRecords() override { return record("writePatchRecords"); }

  bool serviceManager = true;
  int placementResult = 5;

 private:
  int record(const std::string& what) {
    log_.push_back(what);
    return 1;
  }
  const UpdateJob& job_;
  EventLog& log_;
  ClockPort& clock_;
};

}  // namespace quillet
