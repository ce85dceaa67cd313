#pragma once
// The operations of the other parts of the update tool that the main flow
// calls: the installed-product facts, the script reader, the uninstall records
// and the executor. The flow reaches them only through this interface, so its
// order and messages are tested with a scripted stand-in, and the program
// links the real ones (linked_operations.h).
#include <string>

namespace quillet {

class UpdateApp;

class RunOperations {
 public:
  virtual ~RunOperations() = default;
  // 1 when the product key was read into the application's product facts
  // (installed version, maker code, edition, programGroupName); else 0.
  virtual int readInstalledProduct(UpdateApp& app) = 0;
  // 1 when every base folder of the job is known; else 0.
  virtual int resolveFolders(UpdateApp& app) = 0;
  // 1 when the whole script was read into the job; 0 when not (the reader
  // may already have shown its own message).
  virtual int readUpdateScript(UpdateApp& app) = 0;
  // 1 when the update media may be used (update/media/media_check.h); 0 with
  // the message (UTF-8) that names the refused file.
  virtual int checkMedia(UpdateApp& app, std::string* message) = 0;
  // Copies the media files the run uses into the stage before the first
  // change (update/run/media_step.h): 0, or the exit status to end with and
  // its message (UTF-8). Without media of its own a run stages nothing.
  virtual int stageMedia(UpdateApp& app, std::string* message) {
    (void)app;
    (void)message;
    return 0;
  }
  // The installed product's model bit, or 0.
  virtual int installedModelMask(const UpdateApp& app) = 0;
  // The two lines of the version-abort dialog (UTF-8).
  virtual void versionAbortLines(const UpdateApp& app, std::string* firstLine,
                                 std::string* secondLine) = 0;
  // 1 when the path is recorded for uninstall (newly or already); else 0.
  virtual int recordUninstallFile(UpdateApp& app, const std::string& path) = 0;
  virtual int recordUninstallFolder(UpdateApp& app, const std::string& path) = 0;
  // 5 when every file was placed and the later steps ran; 0 when a copy failed.
  virtual int executeUpdate(UpdateApp& app) = 0;
  // How many services of the job's "startSvc:" list are installed but do not
  // run; 0 when the service manager cannot be opened (nothing can be told).
  virtual int servicesNotRunning(UpdateApp& app) = 0;
};

}  // namespace quillet
