#pragma once
// The first thing a run does after its single-instance check: an update that
// was ended from outside (a killed process, a power cut) is put back, or
// finished when it had already committed, and the services it stopped run
// again. Then the run goes on as usual. A journal whose owner still runs is
// left alone: that run is not interrupted, only going on beside this one.
#include <string>

namespace quillet {

class UpdateApp;

enum class RecoveryEnd {
  kInOrder,        // nothing found, put back or finished: the run goes on
  kCannotPutBack,  // a change could not be put back; the journal stays
  kUnreadable,     // a journal this tool cannot read; nothing was changed
  kOwnerRuns,      // the journal's own run still goes on; nothing was changed
};

// Looks in the machine's hive and then in the user's own; *journal names the
// journal that ended it ("HKLM\SOFTWARE\...\UpdateJournal").
RecoveryEnd recoverInterruptedRun(UpdateApp& app, std::string* journal);

}  // namespace quillet
