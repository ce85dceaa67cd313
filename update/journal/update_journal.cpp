#include "update/journal/update_journal.h"

#include "update/journal/journal_put_back.h"
#include "update/journal/journal_undo.h"
#include "update/text/mbcs_text.h"

namespace quillet {
UpdateJournal::UpdateJournal(RegistryPort& registry, FileSystemPort& files,
                             const CodePage& codePage)
    : registry_(registry), files_(files), codePage_(codePage), store_(registry) {}

std::string UpdateJournal::fold(const std::string& path) const {
  std::string folded = upperCaseSingleByte(path, codePage_);
  while (folded.size() > 1 && lastCharIndex(folded, '\\', codePage_) == folded.size() - 1) {
    folded.pop_back();
  }
  return folded;
}

bool UpdateJournal::begin(const UpdateJob& job) {
  close();
  step_ = RunStep::kNone;
  failure_ = JournalFailure();
  stopOnly_.clear();
  for (int i = 0; i < job.serviceToStopCount; ++i) {
    bool started = false;
    for (int j = 0; j < job.serviceToStartCount; ++j) {
      started = started || equalsIgnoringAsciiCase(job.servicesToStop[i], job.servicesToStart[j]);
    }
    if (!started) stopOnly_.push_back(job.servicesToStop[i]);
  }
  processes_.assign(job.processesToEnd, job.processesToEnd + job.processToEndCount);
  open_ = true;
  return true;
}

void UpdateJournal::close() {
  open_ = false;
  failed_ = false;
  committed_ = false;
  created_ = false;
  entries_.clear();
  next_ = 1;
  made_.clear();
  aside_.clear();
}

void UpdateJournal::fail(const std::string& why) {
  if (!failed_) {
    failure_.step = step_;
    failure_.what = why;
    note(std::string("journal: the update is to be put back: ") + runStepName(step_) + ": " +
         why);
  }
  failed_ = true;
}

void UpdateJournal::failWriting(const JournalEntry& entry) {
  if (!failed_) failure_.journalUnwritable = true;
  fail("the journal " + journalKeyName(store_.root()) + " cannot be written (for " +
       entry.path + ")");
}

bool UpdateJournal::createStore() {
  store_.moveTo(kLocalMachine);
  if (!store_.create()) {
    if (!machineJournalRefused(registry_)) return false;
    store_.moveTo(kCurrentUser);
    note("journal: the product key cannot be written; the journal is kept in " +
         journalKeyName(kCurrentUser));
    if (!store_.create()) return false;
  }
  return writeJournalOwner(registry_, store_.root(), owner_);
}

bool UpdateJournal::record(const JournalEntry& entry) {
  if (!open_ || failed_) return false;
  StoredEntry stored;
  stored.number = next_;
  stored.readable = true;
  stored.entry = entry;
  // The journal is made with the first change, so a run that changes
  // nothing leaves no trace of it.
  if (!created_) {
    created_ = true;  // even half made, it is deleted when the run is put back
    if (!createStore() || !recordProcesses()) {
      failWriting(entry);
      return false;
    }
    stored.number = next_;
  }
  // A write that failed (its flush, say) may still reach the disk with a
  // later flush: it keeps its place in the walk back, where its undo comes
  // before the undo of the changes made ahead of it.
  const bool written = store_.write(next_, entry);
  stored.unsure = !written;
  ++next_;
  entries_.push_back(stored);
  if (!written) {
    failWriting(entry);
    return false;
  }
  return true;
}

bool UpdateJournal::recordProcesses() {
  for (const std::string& name : processes_) {
    StoredEntry stored;
    stored.number = next_;
    stored.readable = true;
    stored.entry.kind = JournalKind::kProcessListed;
    stored.entry.path = name;
    if (!store_.write(next_, stored.entry)) return false;
    ++next_;
    entries_.push_back(stored);
  }
  return true;
}

void UpdateJournal::dropLast() {
  if (entries_.empty()) return;
  store_.drop(entries_.back().number);
  entries_.pop_back();
}

bool UpdateJournal::restartsService(const std::string& name) const {
  for (const std::string& stopped : stopOnly_) {
    if (equalsIgnoringAsciiCase(stopped, name)) return false;
  }
  return true;
}

std::string UpdateJournal::asideName(const std::string& path) {
  return freeNameBeside(path, files_, codePage_, entries_);
}

int UpdateJournal::rollBack() {
  if (!open_) return 1;
  if (!created_) {  // nothing was changed
    close();
    return 1;
  }
  PutBackResult result;
  result.complete = false;  // without the machine's ports nothing is put back
  if (machine_ != nullptr) result = putBackJournal(&entries_, store_, *machine_, false, note_);
  note("journal: " + std::to_string(result.undone) + " changes put back" +
       (result.complete ? "" : "; the rest is left for the next start"));
  if (failed_) failure_.putBack = result.complete;
  close();
  servicesWaiting_ = result.complete && result.servicesWaiting;
  return result.complete ? 1 : 0;
}

void UpdateJournal::servicesStarted() {
  if (!servicesWaiting_) return;
  servicesWaiting_ = false;
  if (!store_.erase()) note("journal: cannot be deleted; the next start deletes it");
}

int UpdateJournal::commit() {
  if (!open_) return 0;
  if (failed_ || (created_ && !store_.setState(kJournalCommitted))) {
    // A commit whose write or flush failed may still be in the registry and
    // reach the disk with the put-back's next flush; the journal is made open
    // again first, so that a cut during the put-back is never read as a
    // finished update.
    if (!failed_ && !store_.setState(kJournalOpen)) {
      note("journal: the state cannot be set back to open");
    }
    fail("the commit cannot be written");
    return 0;
  }
  bool clean = true;
  for (const StoredEntry& stored : entries_) {
    if (!finishJournalEntry(stored.entry, files_, codePage_)) {
      note("journal: cannot delete " + stored.entry.other + "; left for the next start");
      clean = false;
      break;
    }
  }
  if (clean && created_) clean = store_.erase();
  if (!clean) note("journal: committed; the clean-up is left for the next start");
  close();
  committed_ = true;
  return 1;
}

}  // namespace quillet
