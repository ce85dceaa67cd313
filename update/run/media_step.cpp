#include "update/run/media_step.h"

#include "update/run/media_messages.h"
#include "update/run/run_messages.h"
#include "update/run/update_app.h"

namespace quillet {

std::string mediaRefusalMessage(const MediaVerdict& verdict) {
  switch (verdict.refusal) {
    case MediaRefusal::kMissing: return withName(kMsgMediaFileMissing, verdict.file);
    case MediaRefusal::kChanged: return withName(kMsgMediaFileDamaged, verdict.file);
    case MediaRefusal::kUnlisted: return withName(kMsgMediaFileUnlisted, verdict.file);
    case MediaRefusal::kNone: break;
  }
  return std::string();
}

int checkRunMedia(UpdateApp& app, std::string* message) {
  const MediaVerdict verdict = checkUpdateMedia(app.job, app.ports().files, app.ports().codePage);
  const std::string kind = verdict.sealed ? "sealed" : "not sealed";
  if (verdict.refusal == MediaRefusal::kNone) {
    app.log().line("media check: " + kind + ", " + std::to_string(verdict.filesChecked) +
                   " files checked: passed");
    return 1;
  }
  app.log().line("media check: " + kind + ", refused: " + verdict.file + ": " + verdict.detail);
  *message = mediaRefusalMessage(verdict);
  return 0;
}

int UpdateApp::mediaCheckPasses() {
  std::string message;
  if (operations_.checkMedia(*this, &message) == 1) return 1;
  showMessage(message);
  return 0;
}

}  // namespace quillet
