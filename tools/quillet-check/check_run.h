#pragma once
// One run of quillet-check: parse the command line, read the script with
// the update tool's reader, print the report. Returns the exit status: 0
// when the reader returned 1, 1 when it returned 0, 2 for a usage error or
// an unreadable script.
#include <ostream>
#include <string>
#include <vector>

#include "update/ports/clock_port.h"

namespace quillet {

int runCheck(const std::vector<std::string>& args, const std::string& environmentWindir,
             ClockPort& clock, std::ostream& out, std::ostream& err);

}  // namespace quillet
