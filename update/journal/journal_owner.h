#pragma once
// Whose journal it is and where it lives. The run that writes a journal
// records itself as its owner: its process id and creation time (the time
// tells it apart from a later process that was given the same id). A start
// that finds the journal of a run that still goes on leaves it alone; only a
// dead owner's journal is put back. A run whose user may not write under the
// product key (a standard user's "Admin:0" update) keeps its journal in that
// user's own hive, where the same user's next start finds it.
#include <cstdint>
#include <string>

#include "update/ports/processes_port.h"
#include "update/ports/registry_port.h"

namespace quillet {

struct JournalOwner {
  std::uint32_t processId = 0;
  std::uint64_t creationTime = 0;  // 100 ns units since 1601; 0: unknown
};

// The hives a start looks in for a journal, in this order.
constexpr RegKey kJournalHives[] = {kLocalMachine, kCurrentUser};

// This process as the owner of the journal it writes.
JournalOwner currentJournalOwner(ProcessesPort& processes);
// Writes the value "Owner" into the journal key of the hive (flushed).
bool writeJournalOwner(RegistryPort& registry, RegKey hive, const JournalOwner& owner);
// False when the journal there has no readable owner (none, one written by
// an older tool, or one cut off before its owner was written).
bool readJournalOwner(RegistryPort& registry, RegKey hive, JournalOwner* owner);
// Whether the owner still runs, other than this process: a process of its
// id created at its time. A process of that id that may not be asked counts
// as running: a journal is rather left for later than put back under a live
// run.
bool journalOwnerRuns(ProcessesPort& processes, const JournalOwner& owner);
// Whether this user is refused the journal key under the product key
// (access denied, as a standard user is): then the run keeps its journal in
// the user's own hive. Asked only after the journal could not be made there.
bool machineJournalRefused(RegistryPort& registry);
// The journal key as an operator finds it, "HKLM\SOFTWARE\...\UpdateJournal".
std::string journalKeyName(RegKey hive);

}  // namespace quillet
