// The update script reader fed arbitrary bytes as the script file, with the
// base folders quillet-check gives by default; the job it fills is then
// written out as the checker's JSON report, which converts every text.
// The lint and the plan read the same bytes again.
// The first byte picks the system's major version (4, 5 or another), since
// lines can be limited to one of them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fakes/fake_clock.h"
#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/check_run.h"
#include "tools/quillet-check/script_lint.h"
#include "tools/quillet-check/script_plan.h"
#include "update/text/cp932_code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillet;
  if (size == 0) return 0;
  const char* const osMajors[] = {"4", "5", "6"};
  CheckOptions options;
  std::string error;
  if (!parseCheckOptions({"--os-major", osMajors[data[0] % 3], "D:\\update\\quillet.txt"}, "",
                         &options, &error)) {
    __builtin_trap();  // fixed arguments: the checker's defaults must always parse
  }
  const std::string script(reinterpret_cast<const char*>(data + 1), size - 1);

  FakeClock clock;
  PlanFacts facts(options.osMajor);
  const ScriptCheck check = checkScriptBytes(options, script, clock, &facts);
  if (check.result != 0 && check.result != 1) __builtin_trap();
  // A table overflow is the only way to 0, and it always tells the user.
  if (check.result == 0 && check.messages.empty()) __builtin_trap();
  // Every finding names a text line of the script, and an overflow is always one.
  const std::vector<LintFinding> findings = lintScriptBytes(options, script, clock);
  for (const LintFinding& finding : findings)
    if (finding.line < 1 || finding.text.empty() || !isLintCheckName(finding.check)) __builtin_trap();
  if (check.result == 0 && findings.empty()) __builtin_trap();
  if (planText(check.result, check.messages, *check.job, Cp932CodePage(), facts).empty())
    __builtin_trap();
  return 0;
}
