#pragma once
// The transaction of one update run: from its first change (the uninstall
// records) to its last (the shortcuts), every change's before-image is
// written to the journal and flushed before the change is made. A failure
// inside it puts everything back (rollBack); a complete run commits, and only
// then are the files set aside deleted. The journalled ports
// (journal_ports.h) stand in front of the real ones and feed it; the steps
// do not know it exists.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "update/journal/journal_failure.h"
#include "update/journal/journal_owner.h"
#include "update/journal/journal_store.h"
#include "update/ports/code_page.h"
#include "update/ports/files_port.h"
#include "update/ports/registry_port.h"
#include "update/ports/update_ports.h"
#include "update/script/update_job.h"

namespace quillet {

// Receives one line about what the journal did (for the run log).
using JournalNote = std::function<void(const std::string&)>;

// Passes the line on when someone listens.
inline void tell(const JournalNote& note, const std::string& line) {
  if (note) note(line);
}

class UpdateJournal {
 public:
  // The real ports: the journal's own writes and the putting back pass
  // through nothing that would journal them again.
  UpdateJournal(RegistryPort& registry, FileSystemPort& files, const CodePage& codePage);

  void setNote(JournalNote note) { note_ = std::move(note); }
  // The process recorded as the journal's owner when it is written.
  void setOwner(const JournalOwner& owner) { owner_ = owner; }
  // The step the run is in, for the failure's record.
  void enterStep(RunStep step) { step_ = step; }
  // The first failure of the last transaction (step kNone: none).
  const JournalFailure& failure() const { return failure_; }
  // The hive the journal was written to.
  RegKey hive() const { return store_.root(); }
  // The real ports of the machine, for the processes and services a
  // rollback ends and stops before it puts anything back.
  void setMachine(UpdatePorts& machine) { machine_ = &machine; }

  // Opens the transaction (the journal itself is written with the first
  // change). The job tells which stopped services the run means to start
  // again.
  bool begin(const UpdateJob& job);
  bool isOpen() const { return open_; }
  bool hasFailed() const { return failed_; }
  // A change inside the transaction could not be made: the run is to be put
  // back. Later changes are refused.
  void fail(const std::string& why);

  // Writes the entry (flushed) before its change; false (and failed) when it
  // cannot be written, and then the change must not be made.
  bool record(const JournalEntry& entry);
  // The change the last entry covered did not happen and must not be undone
  // (a name that turned out to be someone else's).
  void dropLast();

  // Puts every change back, newest first (journal_put_back.h), and deletes
  // the journal. 1 when the machine is as before the run; 0 when a change
  // could not be put back (it stays journalled for the next start). Ends the
  // transaction. When services the run stopped are still down, the journal
  // keeps their entries until servicesStarted.
  int rollBack();
  // The run's start step is over: a journal kept for its services goes.
  void servicesStarted();
  // Marks the run committed, then deletes what was set aside and the
  // journal. 1 when committed (a clean-up left for the next start still
  // counts). Ends the transaction.
  int commit();
  bool committed() const { return committed_; }

  // Whether the run stops this service only to start it again.
  bool restartsService(const std::string& name) const;

  // Paths the run made (temporaries, placed files, folders) and paths it set
  // aside; letter case of single-byte letters ignored.
  bool madeByRun(const std::string& path) const { return made_.count(fold(path)) != 0; }
  void markMade(const std::string& path) { made_.insert(fold(path)); }
  bool isSetAside(const std::string& path) const { return aside_.count(fold(path)) != 0; }
  void markSetAside(const std::string& path) { aside_.insert(fold(path)); }
  // A free name beside the path for setting it aside; empty when none fits.
  std::string asideName(const std::string& path);

  const CodePage& codePage() const { return codePage_; }

 private:
  std::string fold(const std::string& path) const;
  void note(const std::string& line) {
    if (note_) note_(line);
  }
  void close();
  // Makes the journal in the hive this user may write, with its owner.
  bool createStore();
  void failWriting(const JournalEntry& entry);
  // The processes the run ends, journalled with its first change.
  bool recordProcesses();

  RegistryPort& registry_;
  FileSystemPort& files_;
  const CodePage& codePage_;
  JournalStore store_;
  JournalNote note_;
  JournalOwner owner_;
  RunStep step_ = RunStep::kNone;
  JournalFailure failure_;
  bool open_ = false;
  bool failed_ = false;
  bool committed_ = false;
  bool created_ = false;
  std::vector<StoredEntry> entries_;
  std::uint32_t next_ = 1;
  std::set<std::string> made_;
  std::set<std::string> aside_;
  std::vector<std::string> stopOnly_;  // listed to stop and not to start
  std::vector<std::string> processes_;  // listed to end
  UpdatePorts* machine_ = nullptr;
  bool servicesWaiting_ = false;
};

}  // namespace quillet
