// Writing the shortcuts of the job.
#include <string>

#include "update/ops/update_steps.h"

namespace quillet {

int StandardSteps::createShortcuts() {
  if (job_.shortcutEntryCount == 0) return 1;
  ports_.ui.messageBox("ショートカットの作成は、この版ではまだ実装されていません。");
  return 0;
}

}  // namespace quillet
