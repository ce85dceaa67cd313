#pragma once
// Ports that pass every call on unchanged and write to the run log what was
// done to the machine and how it ended (with the system's error code), and
// the user interface of a quiet run, which shows nothing and logs each text
// instead. The main flow puts them in front of the real ports only when a
// log or quiet mode was asked for; the steps cannot tell the difference.
#include <map>
#include <memory>
#include <set>
#include <string>

#include "update/ports/update_ports.h"
#include "update/run/run_logger.h"

namespace quillet {

// The system's last error right after a call that failed (GetLastError in
// the program; 0 when nothing can tell).
using LastErrorReader = long (*)();

class LoggingFiles : public FileSystemPort {
 public:
  LoggingFiles(FileSystemPort& inner, RunLogger& log, LastErrorReader lastError)
      : inner_(inner), log_(log), lastError_(lastError) {}
  bool readFile(const std::string& path, std::string* bytes) override;
  bool writeFile(const std::string& path, const std::string& bytes) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  long copyToNewFile(const std::string& from, const std::string& to) override;
  bool replaceFile(const std::string& from, const std::string& to) override;
  std::uint32_t getAttributes(const std::string& path) override {
    return inner_.getAttributes(path);
  }
  bool setAttributes(const std::string& path, std::uint32_t attributes) override {
    return inner_.setAttributes(path, attributes);
  }
  bool findFile(const std::string& path, FileInfo* info) override {
    return inner_.findFile(path, info);
  }
  std::unique_ptr<FileSearch> findFiles(const std::string& pattern, FileInfo* first,
                                        int* error) override {
    return inner_.findFiles(pattern, first, error);
  }
  bool fileVersionText(const std::string& path, std::string* text) override {
    return inner_.fileVersionText(path, text);
  }

  // Whether a copy or a replacement has written this path (as given).
  bool wasWritten(const std::string& path) const { return written_.count(path) != 0; }
  // The error of the last copy or replacement that failed, 0 when none has.
  long lastFailure() const { return lastFailure_; }

 private:
  bool outcome(const std::string& what, bool ok);
  bool copyOutcome(const std::string& what, bool ok);
  FileSystemPort& inner_;
  RunLogger& log_;
  LastErrorReader lastError_;
  std::set<std::string> written_;
  long lastFailure_ = 0;
};

class LoggingRegistry : public RegistryPort {
 public:
  LoggingRegistry(RegistryPort& inner, RunLogger& log) : inner_(inner), log_(log) {}
  long createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                 RegKey* key) override;
  long openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
               RegKey* key) override;
  long closeKey(RegKey key) override;
  long queryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return inner_.queryValue(key, name, type, data, size);
  }
  long setValue(RegKey key, const std::string& name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override;
  long deleteValue(RegKey key, const std::string& name) override;
  long deleteKey(RegKey parent, const std::string& subKey) override;
  long querySubKeyCount(RegKey key, std::uint32_t* count) override {
    return inner_.querySubKeyCount(key, count);
  }
  long enumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize) override {
    return inner_.enumKey(key, index, name, nameSize);
  }
  long enumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override {
    return inner_.enumValue(key, index, name, nameSize, type, data, dataSize);
  }
  std::string exactName(const std::string& name) override { return inner_.exactName(name); }
  long queryExactValue(RegKey key, const std::string& exactName, std::uint32_t* type,
                       std::string* data) override {
    return inner_.queryExactValue(key, exactName, type, data);
  }
  long enumExactValue(RegKey key, std::uint32_t index, std::string* exactName,
                      std::uint32_t* type, std::string* data) override {
    return inner_.enumExactValue(key, index, exactName, type, data);
  }
  long setExactValue(RegKey key, const std::string& exactName, std::uint32_t type,
                     const std::string& data) override {
    return inner_.setExactValue(key, exactName, type, data);
  }

 private:
  std::string pathOf(RegKey key, const std::string& subKey = "") const;
  void outcome(const std::string& what, long status);
  RegistryPort& inner_;
  RunLogger& log_;
  std::map<RegKey, std::string> paths_;  // open keys and the path they name
};

class LoggingServices : public ServicesPort {
 public:
  LoggingServices(ServicesPort& inner, RunLogger& log, LastErrorReader lastError)
      : inner_(inner), log_(log), lastError_(lastError) {}
  std::unique_ptr<ServiceManager> openManager() override;

 private:
  ServicesPort& inner_;
  RunLogger& log_;
  LastErrorReader lastError_;
};

class LoggingProcesses : public ProcessesPort {
 public:
  LoggingProcesses(ProcessesPort& inner, RunLogger& log, LastErrorReader lastError)
      : inner_(inner), log_(log), lastError_(lastError) {}
  bool readCounterNames(const std::string& keyPath, std::vector<unsigned char>* data) override {
    return inner_.readCounterNames(keyPath, data);
  }
  long queryPerformanceData(const std::string& valueName, std::vector<unsigned char>& buffer,
                            std::size_t* length) override {
    return inner_.queryPerformanceData(valueName, buffer, length);
  }
  void closePerformanceData() override { inner_.closePerformanceData(); }
  std::string instanceNameToAnsi(const std::u16string& name) override {
    return inner_.instanceNameToAnsi(name);
  }
  std::uint32_t ownProcessId() override { return inner_.ownProcessId(); }
  Lookup lookUpProcess(std::uint32_t processId, std::uint64_t* creationTime) override {
    return inner_.lookUpProcess(processId, creationTime);
  }
  bool endProcess(std::uint32_t processId) override;
  PrivilegeStage enableDebugPrivilege(long* lastError) override;

 private:
  ProcessesPort& inner_;
  RunLogger& log_;
  LastErrorReader lastError_;
};

class LoggingShell : public ShellPort {
 public:
  LoggingShell(ShellPort& inner, RunLogger& log, LastErrorReader lastError)
      : inner_(inner), log_(log), lastError_(lastError) {}
  bool saveShellLink(const std::string& targetPath, const std::string& linkPath) override;
  bool startProgram(const std::string& commandLine) override;

 private:
  ShellPort& inner_;
  RunLogger& log_;
  LastErrorReader lastError_;
};

// Shows everything as before and logs each text shown and each answer.
class LoggingUi : public UserInterfacePort {
 public:
  LoggingUi(UserInterfacePort& inner, RunLogger& log) : inner_(inner), log_(log) {}
  void messageBox(const std::string& utf8Text) override;
  int startDialog(const std::string& sourceDir) override;
  int versionAbortDialog(const std::string& utf8FirstLine,
                         const std::string& utf8SecondLine) override;
  int adminAbortDialog() override;
  int restartDialog(const std::string& utf8ProgramGroupName) override;
  int doneDialog(const std::string& utf8ProgramGroupName) override;
  std::unique_ptr<ProgressWindow> createProgressDialog() override {
    return inner_.createProgressDialog();
  }

 private:
  UserInterfacePort& inner_;
  RunLogger& log_;
};

// Quiet mode: no window at all. Each text goes to the log; dialogs answer OK
// at once; the restart is never requested (the deployment tool restarts the
// machine on the exit status).
class QuietUi : public UserInterfacePort {
 public:
  explicit QuietUi(RunLogger& log) : log_(log) {}
  void messageBox(const std::string& utf8Text) override;
  int startDialog(const std::string& sourceDir) override;
  int versionAbortDialog(const std::string& utf8FirstLine,
                         const std::string& utf8SecondLine) override;
  int adminAbortDialog() override;
  int restartDialog(const std::string& utf8ProgramGroupName) override;
  int doneDialog(const std::string& utf8ProgramGroupName) override;
  std::unique_ptr<ProgressWindow> createProgressDialog() override { return nullptr; }

 private:
  RunLogger& log_;
};

// The ports of a logged or quiet run, in front of the real ones.
struct LoggedPorts {
  LoggedPorts(UpdatePorts& inner, RunLogger& log, LastErrorReader lastError, bool quiet);

  LoggingFiles files;
  LoggingRegistry registry;
  LoggingServices services;
  LoggingProcesses processes;
  LoggingShell shell;
  LoggingUi shownUi;
  QuietUi quietUi;
  UpdatePorts ports;
};

}  // namespace quillet
