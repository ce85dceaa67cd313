#pragma once
// Findings about one keyword line's value, judged on the line alone: a blank
// after the colon that changes what the value means, an unknown phase word, a
// version that is not major.minor, words of "TargetModel:" that are no model,
// flags and numbers that read otherwise than they look.
#include <string>
#include <vector>

#include "tools/quillet-check/lint_finding.h"
#include "update/ports/code_page.h"
#include "update/script/update_job.h"

namespace quillet {

// The findings for a line of keyword `code` (their line not yet set).
std::vector<LintFinding> valueFindings(int code, const std::string& value,
                                       const ModelRow* modelTable, const CodePage& codePage);

// "3.05" for 305.
std::string versionText(int version);

}  // namespace quillet
