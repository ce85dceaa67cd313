#pragma once
// One finding of quillet-check --lint, and the names of every check.
#include <string>
#include <vector>

namespace quillet {

struct LintFinding {
  int line = 0;       // text line of the script, from 1
  std::string text;   // UTF-8
  std::string check;  // the check's stable short name, e.g. "no-source"
  bool error = false; // the update fails, is refused or does not run anywhere
};

inline LintFinding lintWarning(const char* check, std::string text) {
  return LintFinding{0, std::move(text), check, false};
}
inline LintFinding lintError(const char* check, std::string text) {
  return LintFinding{0, std::move(text), check, true};
}

// True when name is the name of a check.
bool isLintCheckName(const std::string& name);

// The prefix of a comment that silences one check on the next line:
// "# quillet-check: allow NAME".
extern const char kAllowCommentWord[];

}  // namespace quillet
