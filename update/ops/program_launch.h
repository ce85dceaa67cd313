#pragma once
// Starting the script's programs at the four points of the run.
#include <string>

#include "update/ports/shell_port.h"
#include "update/script/update_job.h"

namespace quillet {

// Starts every launchEntries entry of the phase, in table order, without
// waiting for any of them; a program that cannot be started is passed over.
// Returns 1.
int launchPhase(const UpdateJob& job, int phase, ShellPort& shell);

// "goExeParam:" entries: commandPath + " " + parameters (one blank even for
// empty parameters); "goExe:" entries: commandPath alone.
std::string launchCommandLine(const LaunchEntry& entry);

}  // namespace quillet
