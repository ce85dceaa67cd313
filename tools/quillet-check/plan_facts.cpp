#include "tools/quillet-check/plan_facts.h"

#include "update/script/script_keywords.h"

namespace quillet {

int requiredOsMajor(int code) {
  if (code == kKwToWorkNT || code == kKwToSystemNT || code == kKwToIISNT) return 4;
  if (code == kKwToWork2k || code == kKwToSystem2k || code == kKwToIIS2k) return 5;
  return 0;
}

void PlanFacts::lineRead(int textLine, const std::string& line, int code, const std::string&) {
  textLine_ = textLine;
  line_ = trimTrailingSpace(line);
  code_ = code;
}

void PlanFacts::lineSkipped() { skipped.push_back(SkippedLine{textLine_, line_, code_}); }

void PlanFacts::entryAppended(ScriptTable table, bool fitted) {
  if (table == ScriptTable::kFiles && fitted) fileEntryCodes.push_back(code_);
}

}  // namespace quillet
