#include "update/journal/journal_recovery.h"

#include <string>
#include <vector>

#include "update/journal/journal_undo.h"
#include "update/ops/service_control.h"

namespace quillet {
namespace {

void tell(const JournalNote& note, const std::string& line) {
  if (note) note(line);
}

// Starts what the interrupted run stopped and meant to start again, the
// last stopped first (a listed service before the dependents stopped for it).
void startStoppedServices(UpdatePorts& ports, const std::vector<std::string>& names,
                          const JournalNote& note) {
  if (names.empty()) return;
  std::unique_ptr<ServiceManager> manager = ports.services.openManager();
  if (!manager) {
    tell(note, "recovery: the service manager cannot be opened");
    return;
  }
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    const int started = startService(*manager, *name, ports.clock);
    tell(note, "recovery: service " + *name + (started == 1 ? " runs" : " does not run"));
  }
}

}  // namespace

Recovery recoverInterruptedUpdate(UpdatePorts& ports, const JournalNote& note, RegKey hive) {
  JournalStore store(ports.registry, hive);
  std::uint32_t state = 0;
  std::vector<StoredEntry> entries;
  if (!store.load(&state, &entries)) return Recovery::kNothingFound;
  const bool committed = state == kJournalCommitted;
  tell(note, std::string("recovery: an interrupted update found (") +
                 (committed ? "committed" : "not committed") + ", " +
                 std::to_string(entries.size()) + " changes)");

  // A journal that cannot be read whole is not acted on in part.
  for (const StoredEntry& stored : entries) {
    if (stored.readable) continue;
    tell(note, "recovery: change " + std::to_string(stored.number) +
                   " of the journal cannot be read; nothing was changed");
    return Recovery::kUnreadable;
  }

  std::vector<std::string> toStart;
  for (const StoredEntry& stored : entries) {
    if (stored.readable && stored.entry.kind == JournalKind::kServiceStopped &&
        stored.entry.number == 1) {
      toStart.push_back(stored.entry.path);
    }
  }

  bool complete = true;
  if (committed) {
    for (const StoredEntry& stored : entries) {
      if (stored.readable && !finishJournalEntry(stored.entry, ports.files, ports.codePage)) {
        tell(note, "recovery: cannot delete " + stored.entry.other);
        complete = false;
      }
    }
  } else {
    for (auto stored = entries.rbegin(); stored != entries.rend(); ++stored) {
      if (!stored->readable ||
          !undoJournalEntry(stored->entry, ports.registry, ports.files)) {
        tell(note, "recovery: cannot put back " + stored->entry.path);
        complete = false;
        break;
      }
      store.drop(stored->number);
    }
  }
  if (complete && !store.erase()) complete = false;
  startStoppedServices(ports, toStart, note);
  if (!complete) {
    tell(note, "recovery: incomplete; the journal is kept for the next start");
    return Recovery::kIncomplete;
  }
  tell(note, committed ? "recovery: the interrupted update was completed"
                       : "recovery: the machine is as before the interrupted update");
  return committed ? Recovery::kFinished : Recovery::kPutBack;
}

}  // namespace quillet
