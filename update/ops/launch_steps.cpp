// Starting the programs of one launch phase.
#include "update/ops/program_launch.h"

#include "update/ops/update_steps.h"

namespace quillet {

std::string launchCommandLine(const LaunchEntry& entry) {
  if (entry.launchKind == kLaunchWithParameters) return entry.commandPath + " " + entry.parameters;
  return entry.commandPath;
}

int launchPhase(const UpdateJob& job, int phase, ShellPort& shell) {
  for (int i = 0; i < job.launchEntryCount; ++i) {
    const LaunchEntry& entry = job.launchEntries[i];
    // The started program runs on its own; whether it started does not
    // change the run.
    if (entry.phase == phase) shell.startProgram(launchCommandLine(entry));
  }
  return 1;
}

int StandardSteps::launchPhase(int phase) { return quillet::launchPhase(job_, phase, ports_.shell); }

}  // namespace quillet
