#include "update/run/run_recovery.h"

#include "update/journal/journal_owner.h"
#include "update/journal/journal_recovery.h"
#include "update/run/update_app.h"

namespace quillet {

RecoveryEnd recoverInterruptedRun(UpdateApp& app, std::string* journal) {
  RunLogger& log = app.log();
  UpdatePorts& ports = app.machinePorts();
  // Every owner is asked first: nothing is put back while any run goes on.
  for (const RegKey hive : kJournalHives) {
    JournalOwner owner;
    *journal = journalKeyName(hive);
    if (readJournalOwner(ports.registry, hive, &owner) &&
        journalOwnerRuns(ports.processes, owner)) {
      log.line("recovery: the journal " + journalKeyName(hive) + " belongs to process " +
               std::to_string(owner.processId) + ", which still runs: left alone");
      return RecoveryEnd::kOwnerRuns;
    }
  }
  for (const RegKey hive : kJournalHives) {
    *journal = journalKeyName(hive);
    const Recovery outcome = recoverInterruptedUpdate(
        ports, [&log](const std::string& line) { log.line(log.text(line)); }, hive);
    if (outcome == Recovery::kIncomplete) return RecoveryEnd::kCannotPutBack;
    if (outcome == Recovery::kUnreadable) return RecoveryEnd::kUnreadable;
  }
  return RecoveryEnd::kInOrder;
}

}  // namespace quillet
