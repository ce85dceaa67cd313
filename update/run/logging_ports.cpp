#include "update/run/logging_ports.h"

#include "update/ports/status_codes.h"
#include "update/run/run_messages.h"

namespace quillet {
namespace {

long readError(LastErrorReader lastError) { return lastError != nullptr ? lastError() : 0; }

std::string stateName(std::uint32_t state) {
  switch (state) {
    case kServiceStopped: return "stopped";
    case kServiceStartPending: return "starting";
    case kServiceStopPending: return "stopping";
    case kServiceRunning: return "running";
    default: return "state " + std::to_string(state);
  }
}

class LoggingService : public ServiceHandle {
 public:
  LoggingService(std::unique_ptr<ServiceHandle> inner, std::string name, RunLogger& log,
                 LastErrorReader lastError)
      : inner_(std::move(inner)), name_(std::move(name)), log_(log), lastError_(lastError) {}
  bool control(std::uint32_t code) override {
    const bool ok = inner_->control(code);
    const std::string what =
        code == kServiceControlStop ? "stop" : "control " + std::to_string(code);
    log_.line("service " + name_ + ": " + what +
              (ok ? " sent" : " refused, " + errorText(readError(lastError_))));
    return ok;
  }
  bool queryStatus(ServiceStatus* status) override {
    const bool ok = inner_->queryStatus(status);
    // The waits poll; only a change of state is worth a line, and the last
    // one is the state the service was left in.
    if (ok && status->currentState != lastState_) {
      lastState_ = status->currentState;
      log_.line("service " + name_ + ": " + stateName(lastState_));
    }
    return ok;
  }
  bool start() override {
    const bool ok = inner_->start();
    log_.line("service " + name_ + ": start " +
              (ok ? "sent" : "failed, " + errorText(readError(lastError_))));
    return ok;
  }
  std::vector<std::string> activeDependents() override { return inner_->activeDependents(); }

 private:
  std::unique_ptr<ServiceHandle> inner_;
  std::string name_;
  RunLogger& log_;
  LastErrorReader lastError_;
  std::uint32_t lastState_ = 0;
};

class LoggingManager : public ServiceManager {
 public:
  LoggingManager(std::unique_ptr<ServiceManager> inner, RunLogger& log, LastErrorReader lastError)
      : inner_(std::move(inner)), log_(log), lastError_(lastError) {}
  std::unique_ptr<ServiceHandle> openService(const std::string& name) override {
    std::unique_ptr<ServiceHandle> service = inner_->openService(name);
    const std::string shown = log_.text(name);
    if (service == nullptr) {
      log_.line("service " + shown + ": cannot be opened, " + errorText(readError(lastError_)));
      return nullptr;
    }
    return std::make_unique<LoggingService>(std::move(service), shown, log_, lastError_);
  }

 private:
  std::unique_ptr<ServiceManager> inner_;
  RunLogger& log_;
  LastErrorReader lastError_;
};

std::string valueText(std::uint32_t type, const std::uint8_t* data, std::uint32_t size,
                      const RunLogger& log) {
  if (type == kRegSz && data != nullptr) {
    std::string text(reinterpret_cast<const char*>(data), size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return "\"" + log.text(text) + "\"";
  }
  if (type == kRegDword && size == 4 && data != nullptr) {
    const std::uint32_t value = data[0] | data[1] << 8 | data[2] << 16 |
                                static_cast<std::uint32_t>(data[3]) << 24;
    return "dword " + std::to_string(value);
  }
  return "type " + std::to_string(type) + ", " + std::to_string(size) + " bytes";
}

// The texts of the dialogs, for the log whether they are shown or not.
std::string versionAbortText(const std::string& firstLine, const std::string& secondLine) {
  return firstLine + " " + secondLine + " " + kMsgUpdateAborted;
}

std::string restartText(const std::string& programGroupName) {
  return withName(kMsgUpdateDone, programGroupName) + " " +
         withName(kMsgRestartNeeded, programGroupName);
}

}  // namespace

// --- files ---

bool LoggingFiles::outcome(const std::string& what, bool ok) {
  log_.line(what + (ok ? ": done" : ": failed, " + errorText(readError(lastError_))));
  return ok;
}

bool LoggingFiles::copyOutcome(const std::string& what, bool ok) {
  if (!ok) lastFailure_ = readError(lastError_);
  log_.line(what + (ok ? ": done" : ": failed, " + errorText(lastFailure_)));
  return ok;
}

bool LoggingFiles::readFile(const std::string& path, std::string* bytes) {
  return outcome("read " + log_.text(path), inner_.readFile(path, bytes));
}

bool LoggingFiles::writeFile(const std::string& path, const std::string& bytes) {
  return outcome("write " + log_.text(path), inner_.writeFile(path, bytes));
}

bool LoggingFiles::createDirectory(const std::string& path) {
  return outcome("create folder " + log_.text(path), inner_.createDirectory(path));
}

bool LoggingFiles::removeDirectory(const std::string& path) {
  return outcome("remove folder " + log_.text(path), inner_.removeDirectory(path));
}

bool LoggingFiles::deleteFile(const std::string& path) {
  return outcome("delete " + log_.text(path), inner_.deleteFile(path));
}

bool LoggingFiles::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
  const bool ok = inner_.copyFile(from, to, failIfExists);
  if (ok) written_.insert(to);
  return copyOutcome("copy " + log_.text(from) + " to " + log_.text(to), ok);
}

long LoggingFiles::copyToNewFile(const std::string& from, const std::string& to) {
  const long status = inner_.copyToNewFile(from, to);
  const std::string what = "copy " + log_.text(from) + " to " + log_.text(to);
  if (status == kErrorSuccess) {
    log_.line(what + ": done");
  } else {
    lastFailure_ = status;
    log_.line(what + ": failed, " + errorText(status));
  }
  return status;
}

bool LoggingFiles::replaceFile(const std::string& from, const std::string& to) {
  const bool ok = inner_.replaceFile(from, to);
  if (ok) written_.insert(to);
  return copyOutcome("replace " + log_.text(to) + " with " + log_.text(from), ok);
}

// --- registry ---

std::string LoggingRegistry::pathOf(RegKey key, const std::string& subKey) const {
  const auto found = paths_.find(key);
  std::string path = key == kLocalMachine  ? "HKLM"
                     : key == kCurrentUser ? "HKCU"
                     : found != paths_.end() ? found->second
                                             : "key " + std::to_string(key);
  if (!subKey.empty()) path += "\\" + log_.text(subKey);
  return path;
}

void LoggingRegistry::outcome(const std::string& what, long status) {
  log_.line(what + (status == kErrorSuccess ? ": done" : ": failed, " + errorText(status)));
}

long LoggingRegistry::createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                RegKey* key) {
  const long status = inner_.createKey(parent, subKey, access, key);
  const std::string path = pathOf(parent, subKey);
  if (status == kErrorSuccess) paths_[*key] = path;
  outcome("registry create key " + path, status);
  return status;
}

long LoggingRegistry::openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                              RegKey* key) {
  const long status = inner_.openKey(parent, subKey, access, key);
  if (status == kErrorSuccess) paths_[*key] = pathOf(parent, subKey);
  return status;
}

long LoggingRegistry::closeKey(RegKey key) {
  paths_.erase(key);
  return inner_.closeKey(key);
}

long LoggingRegistry::setValue(RegKey key, const std::string& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) {
  const long status = inner_.setValue(key, name, type, data, size);
  outcome("registry set " + pathOf(key) + " value \"" + log_.text(name) + "\" = " +
              valueText(type, data, size, log_),
          status);
  return status;
}

long LoggingRegistry::deleteValue(RegKey key, const std::string& name) {
  const long status = inner_.deleteValue(key, name);
  outcome("registry delete " + pathOf(key) + " value \"" + log_.text(name) + "\"", status);
  return status;
}

long LoggingRegistry::deleteKey(RegKey parent, const std::string& subKey) {
  const long status = inner_.deleteKey(parent, subKey);
  outcome("registry delete key " + pathOf(parent, subKey), status);
  return status;
}

// --- services, processes, shell ---

std::unique_ptr<ServiceManager> LoggingServices::openManager() {
  std::unique_ptr<ServiceManager> manager = inner_.openManager();
  if (manager == nullptr) {
    log_.line("service manager: cannot be opened, " + errorText(readError(lastError_)));
    return nullptr;
  }
  return std::make_unique<LoggingManager>(std::move(manager), log_, lastError_);
}

bool LoggingProcesses::endProcess(std::uint32_t processId) {
  const bool ok = inner_.endProcess(processId);
  log_.line("process " + std::to_string(processId) +
            (ok ? ": ended" : ": not ended, " + errorText(readError(lastError_))));
  return ok;
}

PrivilegeStage LoggingProcesses::enableDebugPrivilege(long* lastError) {
  const PrivilegeStage stage = inner_.enableDebugPrivilege(lastError);
  log_.line(stage == PrivilegeStage::kEnabled
                ? "debug privilege: enabled"
                : "debug privilege: not enabled, " + errorText(*lastError));
  return stage;
}

bool LoggingShell::saveShellLink(const std::string& targetPath, const std::string& linkPath) {
  const bool ok = inner_.saveShellLink(targetPath, linkPath);
  log_.line("shortcut " + log_.text(linkPath) + " to " + log_.text(targetPath) +
            (ok ? ": saved" : ": failed, " + errorText(readError(lastError_))));
  return ok;
}

bool LoggingShell::startProgram(const std::string& commandLine) {
  const bool ok = inner_.startProgram(commandLine);
  log_.line("launch " + log_.text(commandLine) +
            (ok ? ": started" : ": failed, " + errorText(readError(lastError_))));
  return ok;
}

// --- user interface ---

void LoggingUi::messageBox(const std::string& utf8Text) {
  log_.line("message shown: " + utf8Text);
  inner_.messageBox(utf8Text);
}

int LoggingUi::startDialog(const std::string& sourceDir) {
  log_.line("start dialog shown");
  const int result = inner_.startDialog(sourceDir);
  log_.line("start dialog answered " + std::string(result == kIdOk ? "OK" : "cancel"));
  return result;
}

int LoggingUi::versionAbortDialog(const std::string& utf8FirstLine,
                                  const std::string& utf8SecondLine) {
  log_.line("dialog shown: " + versionAbortText(utf8FirstLine, utf8SecondLine));
  return inner_.versionAbortDialog(utf8FirstLine, utf8SecondLine);
}

int LoggingUi::adminAbortDialog() {
  log_.line(std::string("dialog shown: ") + kMsgAdminAbort);
  return inner_.adminAbortDialog();
}

int LoggingUi::restartDialog(const std::string& utf8ProgramGroupName) {
  log_.line("restart dialog shown: " + restartText(utf8ProgramGroupName));
  return inner_.restartDialog(utf8ProgramGroupName);
}

int LoggingUi::doneDialog(const std::string& utf8ProgramGroupName) {
  log_.line("dialog shown: " + withName(kMsgUpdateDone, utf8ProgramGroupName));
  return inner_.doneDialog(utf8ProgramGroupName);
}

void QuietUi::messageBox(const std::string& utf8Text) {
  log_.line("message not shown (quiet): " + utf8Text);
}

int QuietUi::startDialog(const std::string&) { return kIdOk; }  // quiet implies silent

int QuietUi::versionAbortDialog(const std::string& utf8FirstLine,
                                const std::string& utf8SecondLine) {
  log_.line("dialog not shown (quiet): " + versionAbortText(utf8FirstLine, utf8SecondLine));
  return kIdOk;
}

int QuietUi::adminAbortDialog() {
  log_.line(std::string("dialog not shown (quiet): ") + kMsgAdminAbort);
  return kIdOk;
}

int QuietUi::restartDialog(const std::string& utf8ProgramGroupName) {
  log_.line("restart dialog not shown (quiet), no restart: " + restartText(utf8ProgramGroupName));
  return kIdOk;
}

int QuietUi::doneDialog(const std::string& utf8ProgramGroupName) {
  log_.line("dialog not shown (quiet): " + withName(kMsgUpdateDone, utf8ProgramGroupName));
  return kIdOk;
}

LoggedPorts::LoggedPorts(UpdatePorts& inner, RunLogger& log, LastErrorReader lastError,
                         bool quiet)
    : files(inner.files, log, lastError),
      registry(inner.registry, log),
      services(inner.services, log, lastError),
      processes(inner.processes, log, lastError),
      shell(inner.shell, log, lastError),
      shownUi(inner.ui, log),
      quietUi(log),
      ports{registry, files, inner.system, inner.clock,
            quiet ? static_cast<UserInterfacePort&>(quietUi) : shownUi,
            services, processes, inner.codePage, shell} {}

}  // namespace quillet
