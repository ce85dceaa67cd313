#include "update/run/update_app.h"

#include <cstdio>

#include "update/ports/status_codes.h"
#include "update/run/exit_status.h"
#include "update/run/failure_message.h"
#include "update/run/instance_guard.h"
#include "update/run/run_messages.h"
#include "update/run/run_options.h"
#include "update/run/run_recovery.h"
#include "update/run/stage_cleanup.h"

#ifndef QUILLET_VERSION
#define QUILLET_VERSION "unknown"
#endif

namespace quillet {
namespace {

std::string hex(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

std::string passed(bool ok) { return ok ? "passed" : "refused"; }

}  // namespace

std::string withName(const char* pattern, const std::string& name) {
  std::string text = pattern;
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

UpdateApp::UpdateApp(UpdatePorts& ports, RunOperations& operations, RunLogPort* logPort,
                     LastErrorReader lastError)
    : ports_(ports),
      journaled_(std::make_unique<JournalPorts>(ports)),
      operations_(operations),
      lastError_(lastError),
      log_(logPort != nullptr ? *logPort : noLog_, ports.clock, ports.codePage),
      active_(&journaled_->ports) {
  journaled_->journal.setNote([this](const std::string& line) { log_.line(log_.text(line)); });
}

UpdateApp::~UpdateApp() = default;

std::string UpdateApp::programGroupNameUtf8() const {
  std::string utf8;
  if (ports_.codePage.toUtf8(product.programGroupName, &utf8)) return utf8;
  return product.programGroupName;
}

void UpdateApp::showMessage(const std::string& utf8Text) { ports().ui.messageBox(utf8Text); }

void UpdateApp::startLogging(const RunOptions& options) {
  const bool quiet = options.quiet;
  if (!quiet && !options.logRequested) return;  // the run looks exactly as without them
  if (options.logRequested) log_.open(options.logPath);
  logged_ = std::make_unique<LoggedPorts>(journaled_->ports, log_, lastError_, quiet);
  active_ = &logged_->ports;
  log_.line("Quillet " QUILLET_VERSION);
  log_.line("command line: " + log_.text(m_lpCmdLine != nullptr ? m_lpCmdLine : ""));
  log_.line(quiet            ? "mode: quiet (no window)"
            : options.silent ? "mode: silent (no start and completion dialogs)"
                             : "mode: interactive");
}

void UpdateApp::logProductFacts() {
  if (!log_.enabled()) return;
  log_.line("product key HKLM\\" + log_.text(kProductKeyPath) + ": " +
            log_.text(product.programGroupName) + ", version " +
            std::to_string(product.installedMajor) + "." +
            (product.installedMinor < 10 ? "0" : "") + std::to_string(product.installedMinor) +
            ", maker code " + std::to_string(product.installedMakerCode) + ", edition " +
            std::to_string(product.installedEdition));
}

int UpdateApp::runUpdate() {
  // The three-dimensional control look is the system's own for every dialog
  // of this framework; there is nothing to switch on.

  // The options are read first (reading them changes nothing), so that the
  // log also tells of a second copy that ends at once.
  const RunOptions options = readRunOptions(m_lpCmdLine);
  startLogging(options);
  const bool silentMode = options.silent;

  // Only one copy runs at a time on the machine: holding the product's
  // semaphore is the guard.
  long lastError = kErrorSuccess;
  instanceSemaphore = ports_.system.createSemaphore(kInstanceGuardName, &lastError);
  if (instanceSemaphore == nullptr) {
    log_.line("single-instance guard: cannot be made");
    return endWith(kExitUpdateFailed);
  }
  if (lastError == kErrorAlreadyExists) {
    log_.line("another copy is running");
    return endWith(kExitAnotherCopyRunning);
  }

  // A run ended from outside is put back (or, if it had committed, finished)
  // before anything else is looked at.
  std::string journalName;
  switch (recoverInterruptedRun(*this, &journalName)) {
    case RecoveryEnd::kInOrder:
      break;
    case RecoveryEnd::kOwnerRuns:
      log_.line("another copy is running");
      return endWith(kExitAnotherCopyRunning);
    case RecoveryEnd::kUnreadable:
      log_.line("recovery: the journal " + journalName + " cannot be read");
      showMessage(withName(kMsgJournalUnreadable, journalName));
      return endWith(kExitUpdateFailed);
    case RecoveryEnd::kCannotPutBack:
      showMessage(kMsgInterruptedNotPutBack);
      return endWith(kExitUpdateFailed);
  }

  // Without the product there is nothing to update, and nothing to say.
  if (operations_.readInstalledProduct(*this) != 1) {
    log_.line("product key HKLM\\" + log_.text(kProductKeyPath) + ": missing");
    return endWith(kExitNotInstalled);
  }
  logProductFacts();

  if (operations_.resolveFolders(*this) != 1) {
    log_.line("folders: one of them is missing");
    showMessage(withName(kMsgNotInstalled, programGroupNameUtf8()));
    return endWith(kExitNotInstalled);
  }
  log_.line("media folder " + log_.text(job.sourceDir) + ", work folder " +
            log_.text(job.workDir) + ", tool folder " + log_.text(job.toolDir) +
            ", system folder " + log_.text(job.systemDir) + ", publishing folder " +
            log_.text(job.iisDir) + ", programs " + log_.text(job.commonProgramsDir) +
            ", desktop " + log_.text(job.commonDesktopDir));
  removeLeftoverMediaStages(*this);

  if (operations_.readUpdateScript(*this) != 1) {
    log_.line("script: not read");
    showMessage(kMsgScriptNotFound);
    return endWith(kExitScriptUnreadable);
  }
  log_.line("script: read, " + std::to_string(job.fileEntryCount) + " file entries");

  // The media are checked before any test or step acts on what they hold.
  if (mediaCheckPasses() != 1) return endWith(kExitMediaRefused);

  const int modelMask = operations_.installedModelMask(*this);
  log_.line("model test: installed " + hex(modelMask) + ", update for " +
            hex(job.targetModelMask) + ": " + passed((modelMask & job.targetModelMask) != 0));
  if ((modelMask & job.targetModelMask) == 0) {
    showMessage(kMsgWrongModel);
    return endWith(kExitModelRefused);
  }

  const bool versionFits = versionTestPasses(product, job) == 1;
  log_.line("version test: installed " + std::to_string(installedVersionOf(product)) +
            ", update for " + std::to_string(job.versionLower) + " to " +
            std::to_string(job.versionUpper) + ": " + passed(versionFits));
  if (!versionFits) {
    std::string firstLine;
    std::string secondLine;
    operations_.versionAbortLines(*this, &firstLine, &secondLine);
    ports().ui.versionAbortDialog(firstLine, secondLine);
    return endWith(kExitVersionRefused);
  }

  const bool administrator = administratorTestPasses(job, ports().services) == 1;
  log_.line(std::string("administrator test: ") +
            (job.adminRequired != 1 ? "not required" : passed(administrator)));
  if (!administrator) {
    ports().ui.adminAbortDialog();
    return endWith(kExitNoAdministratorRights);
  }

  // The files are taken from the media once, before anything changes.
  if (const int refused = mediaStageRefusal()) return endWith(refused);

  // From the first uninstall record on, every change is journalled and
  // taken back when the run does not complete.
  journal().setOwner(currentJournalOwner(ports_.processes));
  journal().begin(job);
  journal().enterStep(RunStep::kUninstallRecords);
  if (recordUninstallEntries() != 1) {
    journal().rollBack();
    log_.line("uninstall records: failed" +
              (journal().failure().what.empty() ? "" : ": " + log_.text(journal().failure().what)));
    showMessage(kMsgRegistryWriteFailed);
    return endWith(kExitUpdateFailed);
  }
  log_.line("uninstall records: written");

  if (!silentMode && ports().ui.startDialog(titlePictureFolder()) != kIdOk) {
    journal().rollBack();
    return endWith(kExitCancelled);
  }

  const int result = operations_.executeUpdate(*this);
  if (result != 5) {
    // Anything but 5 is a failure (a result the executor never gives is
    // never taken for success); the journal knows which change failed.
    const JournalFailure& failure = journal().failure();
    log_.line(failure.step == RunStep::kNone
                  ? std::string("update: failed")
                  : "update: failed in the step " + std::string(runStepName(failure.step)) +
                        ": " + log_.text(failure.what) +
                        (failure.putBack ? "; everything was put back"
                                         : "; not everything could be put back"));
    showMessage(failureMessage(failure, journalKeyName(journal().hive())));
    return endWith(kExitUpdateFailed);
  }
  log_.line("update: complete");
  // A service the update was to start that does not run is told only to the
  // deployment tool; the user sees the same dialogs.
  const bool serviceDown = operations_.servicesNotRunning(*this) != 0;
  if (serviceDown) log_.line("services: a service of the update does not run at its end");
  if (job.rebootRequired == 1) {
    ports().ui.restartDialog(programGroupNameUtf8());
    // Also when the restart was asked for: the update is complete only then.
    return endWith(serviceDown ? kExitServiceNotRunning : kExitSuccessRestartRequired);
  }
  if (!silentMode) ports().ui.doneDialog(programGroupNameUtf8());
  return endWith(serviceDown ? kExitServiceNotRunning : kExitSuccess);
}

int UpdateApp::endWith(int exitStatus) {
  removeMediaStage();
  exitStatus_ = exitStatus;
  log_.line("exit status " + std::to_string(exitStatus));
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
