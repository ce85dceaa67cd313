#include "update/run/update_app.h"

#include "update/ports/status_codes.h"
#include "update/run/command_line.h"
#include "update/run/exit_status.h"
#include "update/run/run_messages.h"

namespace quillet {
namespace {

// Puts the name in place of the pattern's single %s.
std::string withName(const char* pattern, const std::string& name) {
  std::string text = pattern;
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

}  // namespace

UpdateApp::UpdateApp(UpdatePorts& ports, RunOperations& operations)
    : ports_(ports), operations_(operations) {}

UpdateApp::~UpdateApp() = default;

std::string UpdateApp::programGroupNameUtf8() const {
  std::string utf8;
  if (ports_.codePage.toUtf8(product.programGroupName, &utf8)) return utf8;
  return product.programGroupName;
}

void UpdateApp::showMessage(const std::string& utf8Text) { ports_.ui.messageBox(utf8Text); }

int UpdateApp::runUpdate() {
  // The three-dimensional control look is the system's own for every dialog
  // of this framework; there is nothing to switch on.

  // Only one copy runs at a time: holding the named semaphore is the guard.
  long lastError = kErrorSuccess;
  instanceSemaphore = ports_.system.createSemaphore(m_pszAppName, &lastError);
  if (instanceSemaphore == nullptr) return endWith(kExitUpdateFailed);
  if (lastError == kErrorAlreadyExists) return endWith(kExitAnotherCopyRunning);

  const bool silentMode = hasSilentWord(splitCommandLine(m_lpCmdLine));

  // Without the product there is nothing to update, and nothing to say.
  if (operations_.readInstalledProduct(*this) != 1) return endWith(kExitNotInstalled);

  if (operations_.resolveFolders(*this) != 1) {
    showMessage(withName(kMsgNotInstalled, programGroupNameUtf8()));
    return endWith(kExitNotInstalled);
  }

  if (operations_.readUpdateScript(*this) != 1) {
    showMessage(kMsgScriptNotFound);
    return endWith(kExitScriptUnreadable);
  }

  if ((operations_.installedModelMask(*this) & job.targetModelMask) == 0) {
    showMessage(kMsgWrongModel);
    return endWith(kExitModelRefused);
  }

  if (versionTestPasses(product, job) != 1) {
    std::string firstLine;
    std::string secondLine;
    operations_.versionAbortLines(*this, &firstLine, &secondLine);
    ports_.ui.versionAbortDialog(firstLine, secondLine);
    return endWith(kExitVersionRefused);
  }

  if (administratorTestPasses(job, ports_.services) != 1) {
    ports_.ui.adminAbortDialog();
    return endWith(kExitNoAdministratorRights);
  }

  if (recordUninstallEntries() != 1) {
    showMessage(kMsgRegistryWriteFailed);
    return endWith(kExitUpdateFailed);
  }

  if (!silentMode && ports_.ui.startDialog(job.sourceDir) != kIdOk) {
    return endWith(kExitCancelled);
  }

  const int result = operations_.executeUpdate(*this);
  if (result != 5) {
    // 0 is a failed copy; anything else would be a fault of the executor and
    // is never taken for success.
    showMessage(kMsgCopyFailed);
    return endWith(kExitUpdateFailed);
  }
  // A service the update was to start that does not run is told only to the
  // deployment tool; the user sees the same dialogs.
  const bool serviceDown = operations_.servicesNotRunning(*this) != 0;
  if (job.rebootRequired == 1) {
    ports_.ui.restartDialog(programGroupNameUtf8());
    // Also when the restart was asked for: the update is complete only then.
    return endWith(serviceDown ? kExitServiceNotRunning : kExitSuccessRestartRequired);
  }
  if (!silentMode) ports_.ui.doneDialog(programGroupNameUtf8());
  return endWith(serviceDown ? kExitServiceNotRunning : kExitSuccess);
}

int UpdateApp::endWith(int exitStatus) {
  exitStatus_ = exitStatus;
  return 0;
}

int UpdateApp::ExitInstance() {
  instanceSemaphore.reset();
  return exitStatus_;
}

int UpdateApp::recordUninstallEntries() {
  for (int i = 0; i < job.fileEntryCount; ++i) {
    const FileEntry& entry = job.fileEntries[i];
    if (entry.recordForUninstall == 1 &&
        operations_.recordUninstallFile(*this, entry.targetPath) != 1) {
      return 0;
    }
  }
  for (int i = 0; i < job.shortcutEntryCount; ++i) {
    if (operations_.recordUninstallFile(*this, job.shortcutEntries[i].linkPath) != 1) return 0;
  }
  for (int i = 0; i < job.workFolderCount; ++i) {
    if (operations_.recordUninstallFolder(*this, job.workFolders[i]) != 1) return 0;
  }
  return 1;
}

}  // namespace quillet
