#pragma once
// The ports quillet-check gives the update tool's reader: the host's files
// and clock, a system that answers from the command line, a user interface
// that collects the messages, and a registry and service manager that are
// never reached while a script is read.
#include <cstdio>
#include <string>
#include <vector>

#include "update/ports/read_only_file_system.h"
#include "update/ports/status_codes.h"
#include "update/ports/update_ports.h"

namespace quillet {

// Reads an open file to its end; false on a read error (a folder, for one).
bool readWholeFile(std::FILE* file, std::string* bytes);

class HostFiles : public ReadOnlyFileSystem {
 public:
  bool readFile(const std::string& path, std::string* bytes) override;
};

class CheckSystem : public SystemPort {
 public:
  CheckSystem(int osMajor, std::string windir, std::string systemDir)
      : osMajor_(osMajor), windir_(std::move(windir)), systemDir_(std::move(systemDir)) {}
  // The checker is not Quillet.exe: the script path is given explicitly.
  bool moduleFileName(const std::string&, std::string*) override { return false; }
  bool systemDirectory(std::string* path) override;
  // Only "WINDIR" is known (any letter case, as on Windows).
  bool environmentVariable(const std::string& name, std::string* value) override;
  int osMajorVersion() override { return osMajor_; }
  std::unique_ptr<HeldHandle> createSemaphore(const std::string&, long* lastError) override;

 private:
  int osMajor_;
  std::string windir_;
  std::string systemDir_;
};

class HostClock : public ClockPort {
 public:
  LocalTime localTime() override;
  void sleepMs(std::uint32_t) override {}
  std::uint32_t tickCount() override { return 0; }
};

class CollectingUi : public UserInterfacePort {
 public:
  std::vector<std::string> messages;
  void messageBox(const std::string& utf8Text) override { messages.push_back(utf8Text); }
  int startDialog(const std::string&) override { return kIdCancel; }
  int versionAbortDialog(const std::string&, const std::string&) override { return kIdCancel; }
  int adminAbortDialog() override { return kIdCancel; }
  int restartDialog(const std::string&) override { return kIdCancel; }
  int doneDialog(const std::string&) override { return kIdCancel; }
  std::unique_ptr<ProgressWindow> createProgressDialog() override { return nullptr; }
};

// A registry with no keys that refuses every change.
class EmptyRegistry : public RegistryPort {
 public:
  long createKey(RegKey, const std::string&, std::uint32_t, RegKey*) override {
    return kErrorAccessDenied;
  }
  long openKey(RegKey, const std::string&, std::uint32_t, RegKey*) override {
    return kErrorFileNotFound;
  }
  long closeKey(RegKey) override { return kErrorInvalidHandle; }
  long queryValue(RegKey, const std::string&, std::uint32_t*, std::uint8_t*,
                  std::uint32_t*) override {
    return kErrorInvalidHandle;
  }
  long setValue(RegKey, const std::string&, std::uint32_t, const std::uint8_t*,
                std::uint32_t) override {
    return kErrorAccessDenied;
  }
  long deleteValue(RegKey, const std::string&) override { return kErrorAccessDenied; }
  long deleteKey(RegKey, const std::string&) override { return kErrorAccessDenied; }
  long querySubKeyCount(RegKey, std::uint32_t*) override { return kErrorInvalidHandle; }
  long enumKey(RegKey, std::uint32_t, char*, std::uint32_t*) override {
    return kErrorInvalidHandle;
  }
  long enumValue(RegKey, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, std::uint8_t*,
                 std::uint32_t*) override {
    return kErrorInvalidHandle;
  }
};

class NoServiceManager : public ServicesPort {
 public:
  std::unique_ptr<ServiceManager> openManager() override { return nullptr; }
};

// The checker ends no process: no performance data, no process to end.
class NoProcesses : public ProcessesPort {
 public:
  bool readCounterNames(const std::string&, std::vector<unsigned char>*) override { return false; }
  long queryPerformanceData(const std::string&, std::vector<unsigned char>&,
                            std::size_t* length) override {
    *length = 0;
    return kErrorFileNotFound;
  }
  void closePerformanceData() override {}
  std::string instanceNameToAnsi(const std::u16string&) override { return std::string(); }
  std::uint32_t ownProcessId() override { return 0; }
  Lookup lookUpProcess(std::uint32_t, std::uint64_t*) override { return Lookup::kNotRunning; }
  bool endProcess(std::uint32_t) override { return false; }
  PrivilegeStage enableDebugPrivilege(long* lastError) override {
    *lastError = 0;
    return PrivilegeStage::kEnabled;
  }
};

// A shell that neither saves links nor starts programs.
class NoShell : public ShellPort {
 public:
  bool saveShellLink(const std::string&, const std::string&) override { return false; }
  bool startProgram(const std::string&) override { return false; }
};

}  // namespace quillet
