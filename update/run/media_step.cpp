#include "update/run/media_step.h"

#include "update/media/media_read.h"
#include "update/run/exit_status.h"
#include "update/run/media_messages.h"
#include "update/run/run_messages.h"
#include "update/run/seal_policy.h"
#include "update/run/update_app.h"
#include "update/script/script_location.h"
#include "update/script/script_reader.h"

namespace quillet {
namespace {

std::string kindOf(const MediaVerdict& verdict) {
  return verdict.sealed ? "sealed" : "not sealed";
}

void logRefusal(UpdateApp& app, const MediaVerdict& verdict) {
  app.log().line("media check: " + kindOf(verdict) + ", refused: " + verdict.file + ": " +
                 verdict.detail);
}

}  // namespace

std::string mediaRefusalMessage(const MediaVerdict& verdict) {
  switch (verdict.refusal) {
    case MediaRefusal::kMissing: return withName(kMsgMediaFileMissing, verdict.file);
    case MediaRefusal::kChanged: return withName(kMsgMediaFileDamaged, verdict.file);
    case MediaRefusal::kUnlisted: return withName(kMsgMediaFileUnlisted, verdict.file);
    case MediaRefusal::kNoStage: return kMsgCopyFailed;
    case MediaRefusal::kNone: break;
  }
  return std::string();
}

int readRunScript(UpdateApp& app) {
  UpdatePorts& ports = app.ports();
  const std::string path = updateScriptPath(ports.system, ports.codePage);
  std::string bytes;
  PieceDigest digest;
  long error = 0;
  if (readMediaPieces(app.machinePorts().files, path, &digest, &bytes, &error) != MediaRead::kRead) {
    app.log().line("read " + app.log().text(path) + ": failed, error " + std::to_string(error));
    return 0;
  }
  app.media.scriptDigest = digest.hex;
  return readUpdateScriptBytes(app.job, bytes, app.product.programGroupName, ports);
}

int checkRunMedia(UpdateApp& app, std::string* message) {
  const bool required = mediaSealRequired(app.ports().registry);
  const MediaVerdict verdict =
      checkUpdateMedia(app.job, app.machinePorts().files, app.ports().codePage,
                       app.media.scriptDigest, required, &app.media.seal);
  if (verdict.refusal == MediaRefusal::kNone) {
    app.log().line(verdict.sealed ? "media list: read, the script's digest matches"
                                  : "media list: none (not sealed)");
    return 1;
  }
  logRefusal(app, verdict);
  *message = mediaRefusalMessage(verdict);
  return 0;
}

int stageRunMedia(UpdateApp& app, std::string* message) {
  const MediaVerdict verdict =
      stageUpdateMedia(app.job, app.media.seal, app.machinePorts().files, app.ports().codePage,
                       app.job.workDir, &app.media.stage);
  if (verdict.refusal == MediaRefusal::kNone) {
    app.log().line("media check: " + kindOf(verdict) + ", " +
                   std::to_string(verdict.filesChecked) + " files checked: passed");
    app.log().line("media staged in " + app.log().text(app.media.stage.folder));
    return 0;
  }
  if (verdict.error != 0) {
    app.log().line("stage: copy of " + verdict.file + ": failed, error " +
                   std::to_string(verdict.error));
  }
  logRefusal(app, verdict);
  *message = mediaRefusalMessage(verdict);
  return verdict.refusal == MediaRefusal::kNoStage ? kExitUpdateFailed : kExitMediaRefused;
}

int UpdateApp::mediaCheckPasses() {
  std::string message;
  if (operations_.checkMedia(*this, &message) == 1) return 1;
  showMessage(message);
  return 0;
}

int UpdateApp::mediaStageRefusal() {
  std::string message;
  const int status = operations_.stageMedia(*this, &message);
  if (status != 0) showMessage(message);
  return status;
}

std::string UpdateApp::titlePictureFolder() const {
  // Once staged, the start dialog reads its picture from the stage too.
  return media.stage.folder.empty() ? job.sourceDir : media.stage.folder;
}

void UpdateApp::removeMediaStage() { removeStage(&media.stage, ports_.files); }

}  // namespace quillet
