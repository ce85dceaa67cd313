#pragma once
// quillet-check --lint: the lines of a script that Quillet would ignore or
// read otherwise than its author probably meant, found while the update
// tool's own reader reads the script.
#include <ostream>
#include <string>
#include <vector>

#include "tools/quillet-check/check_options.h"
#include "update/ports/clock_port.h"

namespace quillet {

struct LintFinding {
  int line = 0;      // text line of the script, from 1
  std::string text;  // UTF-8
};

// The findings for the script's bytes, by line. The media folder is
// options.sourceDir, a folder of this machine.
std::vector<LintFinding> lintScriptBytes(const CheckOptions& options, const std::string& bytes,
                                         ClockPort& clock);

// One "FILE:LINE: warning: TEXT" line per finding; 0 without findings, else 1.
int printLintFindings(const std::string& scriptName, const std::vector<LintFinding>& findings,
                      std::ostream& out);

}  // namespace quillet
