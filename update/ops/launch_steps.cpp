// Starting the programs of one launch phase.
#include <string>

#include "update/ops/update_steps.h"

namespace quillet {

int StandardSteps::launchPhase(int phase) {
  for (int i = 0; i < job_.launchEntryCount; ++i) {
    if (job_.launchEntries[i].phase == phase) {
      ports_.ui.messageBox("プログラムの起動は、この版ではまだ実装されていません。");
      break;
    }
  }
  return 1;
}

}  // namespace quillet
