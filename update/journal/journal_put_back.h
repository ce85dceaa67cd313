#pragma once
// Putting a journal's changes back, shared by the rollback of a failed run
// and by the next start's recovery of a run that was cut off. The machine is
// first brought to the state the update made for its changes: the processes
// it ends are ended and the services it stopped, running again by now, are
// stopped (dependents first). Then every change is undone, newest first; a
// change that cannot be undone stays journalled and the walk goes on with
// the older ones. A file the run created that is still in use is renamed
// aside (a loaded module can be renamed, not deleted) and deleted as soon as
// it can be. The services the put-back stopped run again at the end.
// The service-stopped entries stay until the journal is erased, so that a
// start after a cut anywhere in here still starts them.
#include <string>
#include <vector>

#include "update/journal/journal_store.h"
#include "update/journal/update_journal.h"
#include "update/ports/update_ports.h"

namespace quillet {

struct PutBackResult {
  bool complete = true;         // every change is undone
  int undone = 0;               // changes undone by this walk
  bool servicesWaiting = false; // services the run means to start are down: the
                                // journal stays (their entries only) until they run
};

// Puts entries back (they are the journal's, in the run's order; what is
// undone leaves both the list and the store). startAllServices: also start
// the services the run meant to start again that are down (the next start
// does; a run leaves that to its own start step). The journal is erased when
// nothing is left to do.
PutBackResult putBackJournal(std::vector<StoredEntry>* entries, JournalStore& store,
                             UpdatePorts& ports, bool startAllServices, const JournalNote& note);

// Starts the services, the last stopped first (a listed service before the
// dependents stopped for it); each outcome is told as "WHO: service ...".
void startJournalServices(const std::vector<std::string>& names, UpdatePorts& ports,
                          const std::string& who, const JournalNote& note);

// A free name beside the path for setting it aside; empty when none fits.
// A name some journalled entry names is never free, even when no file has
// it now: the undo of that entry would act on the file set aside.
std::string freeNameBeside(const std::string& path, FileSystemPort& files,
                           const CodePage& codePage, const std::vector<StoredEntry>& journalled);

}  // namespace quillet
