#pragma once
// The update script reader: turns the script into the job description.
#include <string>

#include "update/ports/update_ports.h"
#include "update/script/script_observer.h"
#include "update/script/update_job.h"

namespace quillet {

// Reads "quillet.txt" from the folder of the program file "Quillet.exe" (or
// "." when that module is not found). Returns 1 when the whole script was
// read; 0 when it cannot be read (no message) or a table overflowed (after
// the table's message). The base folders of the job must be set; the reader
// appends and never clears.
int readUpdateScript(UpdateJob& job, const std::string& programGroupName, UpdatePorts& ports);

// The same with the script at an explicit path (the script checker).
int readUpdateScriptFile(UpdateJob& job, const std::string& scriptPath,
                         const std::string& programGroupName, UpdatePorts& ports);

// The same over the script's raw bytes: 1, or 0 after an overflow message.
// An observer, when given, is told what the reader does with each line.
int readUpdateScriptBytes(UpdateJob& job, const std::string& bytes,
                          const std::string& programGroupName, UpdatePorts& ports,
                          ScriptReadObserver* observer = nullptr);

}  // namespace quillet
