// Ending the listed processes before the update touches their files.
#include <string>

#include "update/ops/update_steps.h"

namespace quillet {

int StandardSteps::endListedProcesses() {
  if (job_.processToEndCount == 0) return 1;
  ports_.ui.messageBox("プロセスの終了は、この版ではまだ実装されていません。");
  return 0;
}

}  // namespace quillet
