#pragma once
// Findings about the paths, names and registry keys of one keyword line,
// judged on the line alone: where Windows will take the value otherwise
// than it looks (a "/", a drive, quotes, a comment after the value, ...).
#include <string>
#include <vector>

#include "tools/quillet-check/lint_finding.h"
#include "update/ports/code_page.h"

namespace quillet {

// The findings for a line of keyword `code` with this value (cp932).
std::vector<LintFinding> pathFindings(int code, const std::string& value,
                                      const CodePage& codePage);

// A source whose file must be on the media wherever the update runs
// ("file:", "patch:"), as against one needed only where the target is
// installed ("replace:", "overwrite:").
bool isAlwaysCopiedSource(int code);

}  // namespace quillet
