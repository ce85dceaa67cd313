#pragma once
// The executor's steps inside the run's transaction. The order, the step-its
// and the waits stay the executor's; this only decides, after each step that
// changes the machine, whether the run goes on, is put back (a failure inside
// the transaction), or is committed (after the shortcuts, the last change).
// Once the run is put back, no later step changes anything and no program of
// a later phase starts; the services are started as always.
#include "update/journal/update_journal.h"
#include "update/ops/update_steps.h"

namespace quillet {

class TransactionSteps : public UpdateSteps {
 public:
  TransactionSteps(UpdateSteps& inner, UpdateJournal& journal) : inner_(inner), journal_(journal) {}

  int endListedProcesses() override { return inner_.endListedProcesses(); }
  int launchPhase(int phase) override;
  int stopListedServices(ProgressWindow& progress) override {
    return inner_.stopListedServices(progress);
  }
  int startListedServices(ProgressWindow& progress) override;
  int createWorkFolders() override;
  int removeTargets() override;
  int placeFiles() override;
  int deletePatchRecords() override;
  int applyRegistryEntries() override;
  int writePatchRecords() override;
  int createShortcuts() override;
  int notifyPrintService() override;

  // Whether the run was committed (complete and kept).
  bool committed() const { return journal_.committed(); }

 private:
  bool stopped() const { return putBack_ || journal_.hasFailed(); }
  // After a changing step: puts the run back when anything in it failed.
  void settle();

  UpdateSteps& inner_;
  UpdateJournal& journal_;
  bool putBack_ = false;
};

}  // namespace quillet
