#pragma once
// quillet-check --lint: the lines of a script that Quillet would ignore,
// misread, fail on or carry out otherwise than its author probably meant,
// found while the update tool's own reader reads the script.
#include <ostream>
#include <string>
#include <vector>

#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/lint_finding.h"
#include "update/ports/clock_port.h"

namespace quillet {

// The findings for the script's bytes, by line, without those a
// "# quillet-check: allow NAME" comment silences. The media folder is
// options.sourceDir, a folder of this machine.
std::vector<LintFinding> lintScriptBytes(const CheckOptions& options, const std::string& bytes,
                                         ClockPort& clock);

// One "FILE:LINE: error|warning: TEXT [check]" line per finding. Returns 1
// when there is a finding (with errorsOnly: an error), else 0.
int printLintFindings(const std::string& scriptName, const std::vector<LintFinding>& findings,
                      std::ostream& out, bool errorsOnly = false);

}  // namespace quillet
