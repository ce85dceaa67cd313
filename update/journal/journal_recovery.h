#pragma once
// What the start of the tool does with the journal of a run that was ended
// from outside (a killed process, a power cut): a run that had not committed
// is put back, a committed one is finished (what it set aside is deleted);
// then the services it stopped to start again are started, and the journal
// is deleted.
#include "update/journal/update_journal.h"
#include "update/ports/update_ports.h"

namespace quillet {

enum class Recovery {
  kNothingFound,  // no journal: the last run ended by itself
  kPutBack,       // the machine is as before the interrupted run
  kFinished,      // the interrupted run had committed: it is complete now
  kIncomplete,    // something could not be put back; the journal stays
  kUnreadable,    // the journal is of a newer format or damaged before its last
                  // entry: nothing was changed, the journal stays (a log line
                  // names it and why)
};

// Works on the real ports (nothing in front journals or logs it); each thing
// done is told to note. hive: where the journal lies (journal_owner.h).
Recovery recoverInterruptedUpdate(UpdatePorts& ports, const JournalNote& note,
                                  RegKey hive = kLocalMachine);

}  // namespace quillet
