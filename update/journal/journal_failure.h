#pragma once
// What made a run fail inside its transaction: the step it was in, the change
// that was refused (named, for the log), whether it was the journal itself
// that could not be written, and whether everything was put back. The run
// tells the user from this what failed; a copy keeps its old message.
#include <string>

namespace quillet {

enum class RunStep {
  kNone,
  kUninstallRecords,
  kWorkFolders,
  kRemovals,
  kCopy,
  kPatchDeletion,
  kRegistryEdits,
  kPatchRecords,
  kShortcuts,
  kCommit,
};

struct JournalFailure {
  RunStep step = RunStep::kNone;  // kNone: no change failed
  std::string what;               // the refused change, e.g. "cannot create key ..."
  bool journalUnwritable = false;
  bool putBack = true;            // false: a change could not be put back
};

// The step's name for the log ("registry edits").
const char* runStepName(RunStep step);

}  // namespace quillet
