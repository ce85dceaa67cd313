#pragma once
// The update tool's application object: one static instance per program. It
// holds the job description and the facts about the installed product, and
// its instance start is the whole update run.
#include <memory>
#include <string>

#include "update/run/win_app.h"
#include "update/journal/journal_ports.h"
#include "update/ports/run_log_port.h"
#include "update/ports/update_ports.h"
#include "update/run/logging_ports.h"
#include "update/run/media_step.h"
#include "update/run/preconditions.h"
#include "update/run/run_logger.h"
#include "update/run/run_operations.h"
#include "update/run/run_options.h"
#include "update/script/update_job.h"

namespace quillet {

class UpdateApp : public CWinApp {
 public:
  // logPort: where "/log PATH" writes (none: no log can be written);
  // lastError: the system's last error for the log's lines.
  UpdateApp(UpdatePorts& ports, RunOperations& operations, RunLogPort* logPort = nullptr,
            LastErrorReader lastError = nullptr);
  ~UpdateApp() override;

  // The instance start of the framework is the run.
  int InitInstance() override { return runUpdate(); }
  // Performs the whole run; always 0, so that no message loop follows. The
  // end it reached is kept as the exit status.
  int runUpdate();
  // Releases the single-instance guard; returns the exit status of the run
  // (update/run/exit_status.h), 0 when no run took place.
  int ExitInstance() override;
  // Records every file, shortcut and work folder the update will create;
  // 1 when all were recorded, 0 at the first that was not.
  int recordUninstallEntries();

  // programGroupName as UTF-8 for the user's eyes (the bytes unchanged when
  // they are not valid text in the code page).
  std::string programGroupNameUtf8() const;

  // The ports the run works through: the given ones, or the logging and
  // quiet ports in front of them when the command line asks for a log or
  // for quiet mode.
  UpdatePorts& ports() const { return *active_; }
  // The logging ports of this run; null when none are in front.
  const LoggedPorts* loggedPorts() const { return logged_.get(); }
  RunLogger& log() { return log_; }
  // The run's transaction: its journal stands in front of the machine's
  // file, registry and service ports, below the logging ports.
  UpdateJournal& journal() { return journaled_->journal; }
  // The machine's ports with nothing in front (the recovery of an
  // interrupted run works on them directly).
  UpdatePorts& machinePorts() const { return ports_; }

  std::unique_ptr<HeldHandle> instanceSemaphore;
  // Installed version, edition, maker code and programGroupName.
  InstalledProduct product;
  UpdateJob job;
  // The script's digest, the media's list and the stage (media_step.h).
  RunMedia media;

 private:
  void showMessage(const std::string& utf8Text);
  // Keeps the exit status of the end the run reached; runUpdate's result (0).
  int endWith(int exitStatus);
  // Opens the log and puts the logging (and quiet) ports in front.
  void startLogging(const RunOptions& options);
  void logProductFacts();
  // The check of the update media (media_step.cpp): 1 when it may be used;
  // 0 after the refusal was shown.
  int mediaCheckPasses();
  // The media staged before the first change: 0, or the exit status after
  // the refusal was shown.
  int mediaStageRefusal();
  // Where the start dialog finds "title.bmp": the stage, once made.
  std::string titlePictureFolder() const;
  // Deletes this run's stage (media_step.cpp).
  void removeMediaStage();

  UpdatePorts& ports_;
  std::unique_ptr<JournalPorts> journaled_;
  RunOperations& operations_;
  NullRunLog noLog_;
  LastErrorReader lastError_;
  RunLogger log_;
  std::unique_ptr<LoggedPorts> logged_;
  UpdatePorts* active_;
  int exitStatus_ = 0;
};

}  // namespace quillet
