#pragma once
// One run of quillet-check: parse the command line, read the script with
// the update tool's reader, print the report. Returns the exit status: 0
// when the reader returned 1, 1 when it returned 0, 2 for a usage error or
// an unreadable script.
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tools/quillet-check/check_options.h"
#include "update/ports/clock_port.h"
#include "update/script/script_observer.h"
#include "update/script/update_job.h"

namespace quillet {

// What the reader made of one script: its result (1 read, 0 not read), the
// messages it would have shown, and the report as JSON.
struct ScriptCheck {
  int result = 0;
  std::vector<std::string> messages;
  std::string json;
  std::shared_ptr<UpdateJob> job;  // what the reader made of it
};

// Reads the script's bytes with the update tool's reader over the checker's
// ports (no registry, no services, the folders of `options`); the observer,
// when given, is told what the reader does with each line.
ScriptCheck checkScriptBytes(const CheckOptions& options, const std::string& scriptBytes,
                             ClockPort& clock, ScriptReadObserver* observer = nullptr);

int runCheck(const std::vector<std::string>& args, const std::string& environmentWindir,
             ClockPort& clock, std::ostream& out, std::ostream& err);

}  // namespace quillet
