// Starting the programs of one launch phase.
#include "update/ops/program_launch.h"

#include "update/ops/update_steps.h"
#include "update/text/mbcs_text.h"

namespace quillet {

namespace {

// The program of the command in quotes when it holds a blank, then the rest
// unchanged. Unquoted, "C:\Update Media\tool.exe" would first start
// "C:\Update.exe": a program anyone could plant there. The program is the
// whole command path, or the script host of a script command; a command
// already quoted stays as it is, and so does a program without blanks.
std::string quotedCommand(const std::string& commandPath, const CodePage& codePage) {
  if (!commandPath.empty() && commandPath[0] == '"') return commandPath;
  std::size_t programEnd = findOnCharBoundary(commandPath, kScriptHostCommand, codePage);
  programEnd = programEnd == kNotFound ? commandPath.size()
                                       : programEnd + sizeof kScriptHostCommand - 2;
  const std::string program = commandPath.substr(0, programEnd);
  // Blanks and tabs are single-byte, never a trail byte: a plain search will do.
  if (program.find_first_of(" \t") == std::string::npos) return commandPath;
  return "\"" + program + "\"" + commandPath.substr(programEnd);
}

}  // namespace

std::string launchCommandLine(const LaunchEntry& entry, const CodePage& codePage) {
  const std::string command = quotedCommand(entry.commandPath, codePage);
  if (entry.launchKind == kLaunchWithParameters) return command + " " + entry.parameters;
  return command;
}

int launchPhase(const UpdateJob& job, int phase, ShellPort& shell, const CodePage& codePage) {
  for (int i = 0; i < job.launchEntryCount; ++i) {
    const LaunchEntry& entry = job.launchEntries[i];
    // The started program runs on its own; whether it started does not
    // change the run.
    if (entry.phase == phase) shell.startProgram(launchCommandLine(entry, codePage));
  }
  return 1;
}

int StandardSteps::launchPhase(int phase) {
  return quillet::launchPhase(job_, phase, ports_.shell, ports_.codePage);
}

}  // namespace quillet
