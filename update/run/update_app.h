#pragma once
// The update tool's application object: one static instance per program. It
// holds the job description and the facts about the installed product, and
// its instance start is the whole update run.
#include <memory>
#include <string>

#include "update/run/win_app.h"
#include "update/ports/update_ports.h"
#include "update/run/preconditions.h"
#include "update/run/run_operations.h"
#include "update/script/update_job.h"

namespace quillet {

class UpdateApp : public CWinApp {
 public:
  UpdateApp(UpdatePorts& ports, RunOperations& operations);
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

  UpdatePorts& ports() const { return ports_; }

  std::unique_ptr<HeldHandle> instanceSemaphore;
  // Installed version, edition, maker code and programGroupName.
  InstalledProduct product;
  UpdateJob job;

 private:
  void showMessage(const std::string& utf8Text);
  // Keeps the exit status of the end the run reached; runUpdate's result (0).
  int endWith(int exitStatus);

  UpdatePorts& ports_;
  RunOperations& operations_;
  int exitStatus_ = 0;
};

}  // namespace quillet
