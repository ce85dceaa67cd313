#pragma once
// What the plan needs beyond the job: which line made each file entry (the
// NT 4 and 2000 lines run only on their system), the lines skipped for
// another system, and the system version the check assumed.
#include <string>
#include <vector>

#include "update/script/script_observer.h"

namespace quillet {

struct SkippedLine {
  int textLine;
  std::string text;  // cp932, as read
  int code;
};

class PlanFacts : public ScriptReadObserver {
 public:
  explicit PlanFacts(int osMajor) : osMajor(osMajor) {}

  void lineRead(int textLine, const std::string& line, int code, const std::string&) override;
  void lineSkipped() override;
  void slotRead(ScriptSlot) override {}
  void slotWritten(ScriptSlot) override {}
  void entryAppended(ScriptTable table, bool fitted) override;

  int osMajor;
  std::vector<int> fileEntryCodes;  // the keyword of each file entry, in table order
  std::vector<SkippedLine> skipped;

 private:
  int textLine_ = 0;
  std::string line_;
  int code_ = 0;
};

// The major version a keyword's line needs: 4 (the "NT" lines), 5 (the
// "2k" lines) or 0 (every system).
int requiredOsMajor(int code);

}  // namespace quillet
