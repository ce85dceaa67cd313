#include "update/journal/transaction_steps.h"

#include "update/ops/executor.h"

namespace quillet {

void TransactionSteps::settle() {
  if (!journal_.hasFailed() || putBack_) return;
  putBack_ = true;
  journal_.rollBack();
}

int TransactionSteps::launchPhase(int phase) {
  if (phase != kPhasePrevious && stopped()) return 0;
  return inner_.launchPhase(phase);
}

int TransactionSteps::createWorkFolders() {
  if (stopped()) return 0;
  journal_.enterStep(RunStep::kWorkFolders);
  return inner_.createWorkFolders();
}

int TransactionSteps::removeTargets() {
  if (stopped()) return 0;
  journal_.enterStep(RunStep::kRemovals);
  return inner_.removeTargets();
}

int TransactionSteps::placeFiles() {
  // A failure before the copy (a folder, a removal) is put back here too:
  // before the services are started again.
  if (!stopped()) journal_.enterStep(RunStep::kCopy);
  if (!stopped() && inner_.placeFiles() != kPlacementComplete) {
    journal_.fail("a file copy failed");
  }
  settle();
  return putBack_ ? kPlacementFailed : kPlacementComplete;
}

int TransactionSteps::startListedServices(ProgressWindow& progress) {
  const int result = inner_.startListedServices(progress);
  // A run put back before its copy keeps its journal until here: a cut
  // before the services run again leaves them to the next start.
  journal_.servicesStarted();
  return result;
}

int TransactionSteps::deletePatchRecords() {
  if (stopped()) return 0;
  journal_.enterStep(RunStep::kPatchDeletion);
  const int result = inner_.deletePatchRecords();
  settle();
  return result;
}

int TransactionSteps::applyRegistryEntries() {
  if (stopped()) return 0;
  journal_.enterStep(RunStep::kRegistryEdits);
  const int result = inner_.applyRegistryEntries();
  settle();
  return result;
}

int TransactionSteps::writePatchRecords() {
  if (stopped()) return 0;
  journal_.enterStep(RunStep::kPatchRecords);
  const int result = inner_.writePatchRecords();
  settle();
  return result;
}

int TransactionSteps::createShortcuts() {
  if (stopped()) return 0;
  journal_.enterStep(RunStep::kShortcuts);
  const int result = inner_.createShortcuts();
  settle();
  journal_.enterStep(RunStep::kCommit);
  if (!putBack_ && journal_.commit() != 1) settle();
  return result;
}

int TransactionSteps::notifyPrintService() {
  if (stopped() || !journal_.committed()) return 0;
  return inner_.notifyPrintService();
}

}  // namespace quillet
