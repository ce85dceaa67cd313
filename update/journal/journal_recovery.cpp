#include "update/journal/journal_recovery.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "update/journal/journal_put_back.h"
#include "update/journal/journal_undo.h"
#include "update/ops/service_control.h"

namespace quillet {
namespace {

std::string entryText(const StoredEntry& stored) {
  char text[32];
  std::snprintf(text, sizeof text, "entry %08u", static_cast<unsigned>(stored.number));
  return text;
}

// Why the journal cannot be acted on; empty when it can. Only its last
// entry may be cut short: each entry is on the disk before its change, so
// an entry cut short is one whose change never began.
std::string unreadable(std::uint32_t state, const std::vector<StoredEntry>& entries, bool whole) {
  if (!whole) return "its values cannot all be read";
  if (state != kJournalOpen && state != kJournalCommitted) {
    return "its state " + std::to_string(state) + " comes from a newer version";
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].decoded == JournalDecode::kUnknownFormat) {
      return entryText(entries[i]) + " comes from a newer version";
    }
    if (entries[i].decoded == JournalDecode::kCutShort && i + 1 < entries.size()) {
      return entryText(entries[i]) + " is damaged";
    }
  }
  return std::string();
}

// Starts what the committed run stopped and meant to start again, the last
// stopped first (a listed service before the dependents stopped for it).
void startStoppedServices(UpdatePorts& ports, const std::vector<StoredEntry>& entries,
                          const JournalNote& note) {
  std::vector<std::string> names;
  for (const StoredEntry& stored : entries) {
    if (stored.readable && stored.entry.kind == JournalKind::kServiceStopped &&
        stored.entry.number == 1) {
      names.push_back(stored.entry.path);
    }
  }
  startJournalServices(names, ports, "recovery", note);
}

}  // namespace

Recovery recoverInterruptedUpdate(UpdatePorts& ports, const JournalNote& note, RegKey hive) {
  JournalStore store(ports.registry, hive);
  std::uint32_t state = 0;
  std::vector<StoredEntry> entries;
  bool whole = true;
  if (!store.load(&state, &entries, &whole)) return Recovery::kNothingFound;
  const std::string why = unreadable(state, entries, whole);
  if (!why.empty()) {
    tell(note, std::string(hive == kCurrentUser ? "recovery: the journal HKEY_CURRENT_USER\\"
                                                : "recovery: the journal HKEY_LOCAL_MACHINE\\") +
                   kJournalKeyPath +
                   " cannot be read (" + why + "); nothing was changed");
    return Recovery::kUnreadable;
  }
  if (!entries.empty() && entries.back().decoded == JournalDecode::kCutShort) {
    tell(note, "recovery: " + entryText(entries.back()) +
                   " was cut short; its change never began");
    store.drop(entries.back().number);
    entries.pop_back();
  }
  const bool committed = state == kJournalCommitted;
  tell(note, std::string("recovery: an interrupted update found (") +
                 (committed ? "committed" : "not committed") + ", " +
                 std::to_string(entries.size()) + " changes)");

  bool complete = true;
  if (committed) {
    for (const StoredEntry& stored : entries) {
      if (!finishJournalEntry(stored.entry, ports.files, ports.codePage)) {
        tell(note, "recovery: cannot delete " + stored.entry.other);
        complete = false;
      }
    }
    // The services run before the journal that names them goes.
    startStoppedServices(ports, entries, note);
    if (complete && !store.erase()) complete = false;
  } else {
    complete = putBackJournal(&entries, store, ports, true, note).complete;
  }
  if (!complete) {
    tell(note, "recovery: incomplete; the journal is kept for the next start");
    return Recovery::kIncomplete;
  }
  tell(note, committed ? "recovery: the interrupted update was completed"
                       : "recovery: the machine is as before the interrupted update");
  return committed ? Recovery::kFinished : Recovery::kPutBack;
}

}  // namespace quillet
