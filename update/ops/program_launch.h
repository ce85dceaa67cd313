#pragma once
// Starting the script's programs at the four points of the run.
#include <string>

#include "update/ports/code_page.h"
#include "update/ports/shell_port.h"
#include "update/script/update_job.h"

namespace quillet {

// Starts every launchEntries entry of the phase, in table order, without
// waiting for any of them; a program that cannot be started is passed over.
// Returns 1.
int launchPhase(const UpdateJob& job, int phase, ShellPort& shell, const CodePage& codePage);

// "goExeParam:" entries: commandPath + " " + parameters (one blank even for
// empty parameters); "goExe:" entries: commandPath alone. The program is
// quoted (the whole commandPath, or the script host of a script command), so
// that a path with blanks names only that program.
std::string launchCommandLine(const LaunchEntry& entry, const CodePage& codePage);

}  // namespace quillet
