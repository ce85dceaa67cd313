#include "update/run/run_recovery.h"

#include "update/journal/journal_recovery.h"
#include "update/run/update_app.h"

namespace quillet {

int recoverInterruptedRun(UpdateApp& app) {
  RunLogger& log = app.log();
  const Recovery outcome = recoverInterruptedUpdate(
      app.machinePorts(), [&log](const std::string& line) { log.line(log.text(line)); });
  return outcome == Recovery::kIncomplete || outcome == Recovery::kUnreadable ? 0 : 1;
}

}  // namespace quillet
