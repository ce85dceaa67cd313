#include "update/journal/journal_failure.h"

namespace quillet {

const char* runStepName(RunStep step) {
  switch (step) {
    case RunStep::kNone: return "no step";
    case RunStep::kUninstallRecords: return "uninstall records";
    case RunStep::kWorkFolders: return "work folders";
    case RunStep::kRemovals: return "removals";
    case RunStep::kCopy: return "file copy";
    case RunStep::kPatchDeletion: return "patch record deletion";
    case RunStep::kRegistryEdits: return "registry edits";
    case RunStep::kPatchRecords: return "patch records";
    case RunStep::kShortcuts: return "shortcuts";
    case RunStep::kCommit: return "commit";
  }
  return "no step";
}

}  // namespace quillet
