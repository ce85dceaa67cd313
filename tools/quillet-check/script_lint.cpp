#include "tools/quillet-check/script_lint.h"

#include "tools/quillet-check/check_run.h"
#include "tools/quillet-check/lint_file_bytes.h"
#include "tools/quillet-check/lint_observer.h"
#include "update/text/cp932_code_page.h"

namespace quillet {

std::vector<LintFinding> lintScriptBytes(const CheckOptions& options, const std::string& bytes,
                                         ClockPort& clock) {
  Cp932CodePage codePage;
  LintObserver observer(options, codePage, judgeFileBytes(bytes, codePage));
  ScriptCheck check = checkScriptBytes(options, bytes, clock, &observer);
  return observer.finish(*check.job);
}

int printLintFindings(const std::string& scriptName, const std::vector<LintFinding>& findings,
                      std::ostream& out, bool errorsOnly) {
  bool counted = false;
  for (const LintFinding& finding : findings) {
    out << scriptName << ":" << finding.line << (finding.error ? ": error: " : ": warning: ")
        << finding.text << " [" << finding.check << "]\n";
    counted = counted || finding.error || !errorsOnly;
  }
  return counted ? 1 : 0;
}

}  // namespace quillet
