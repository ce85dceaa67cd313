#include "update/run/stage_cleanup.h"

#include "update/media/media_stage.h"
#include "update/run/update_app.h"

namespace quillet {

void removeLeftoverMediaStages(UpdateApp& app) {
  const int found =
      removeLeftoverStages(app.job.workDir, app.machinePorts().files, app.ports().codePage);
  if (found != 0) app.log().line("stage: " + std::to_string(found) + " left by an earlier run, removed");
}

}  // namespace quillet
