#pragma once
// Test doubles for the main-flow tests: the ports the flow does not use
// directly answer with failures; the system and the other parts' operations
// record what the flow asks of them.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_ui.h"
#include "update/ports/read_only_file_system.h"
#include "update/ports/update_ports.h"
#include "update/run/instance_guard.h"
#include "update/run/run_operations.h"
#include "update/run/update_app.h"
#include "update/text/cp932_code_page.h"

namespace quillet {

// How the test system logs the run's single-instance guard.
inline const std::string kGuardCall = std::string("semaphore ") + kInstanceGuardName;

// Named semaphores of the machine: a name already held by "another process"
// reports ERROR_ALREADY_EXISTS.
class TestSystem : public SystemPort {
 public:
  bool moduleFileName(const std::string&, std::string*) override { return false; }
  bool systemDirectory(std::string*) override { return false; }
  bool environmentVariable(const std::string&, std::string*) override { return false; }
  int osMajorVersion() override { return 5; }
  std::unique_ptr<HeldHandle> createSemaphore(const std::string& name, long* lastError) override;

  std::set<std::string> heldElsewhere;
  bool failCreate = false;
  std::vector<std::string> created;  // names asked for, in order
  std::multiset<std::string> open;   // handles currently held by the run
  std::vector<std::string>* sharedLog = nullptr;
};

class NullRegistry : public RegistryPort {
 public:
  long createKey(RegKey, const std::string&, std::uint32_t, RegKey*) override { return 5; }
  long openKey(RegKey, const std::string&, std::uint32_t, RegKey*) override { return 2; }
  long closeKey(RegKey) override { return 6; }
  long queryValue(RegKey, const std::string&, std::uint32_t*, std::uint8_t*,
                  std::uint32_t*) override { return 2; }
  long setValue(RegKey, const std::string&, std::uint32_t, const std::uint8_t*,
                std::uint32_t) override { return 5; }
  long deleteValue(RegKey, const std::string&) override { return 2; }
  long deleteKey(RegKey, const std::string&) override { return 2; }
  long querySubKeyCount(RegKey, std::uint32_t*) override { return 6; }
  long enumKey(RegKey, std::uint32_t, char*, std::uint32_t*) override { return 259; }
  long enumValue(RegKey, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, std::uint8_t*,
                 std::uint32_t*) override { return 259; }
};

class NullFiles : public ReadOnlyFileSystem {
 public:
  bool readFile(const std::string&, std::string*) override { return false; }
};

class NullClock : public ClockPort {
 public:
  LocalTime localTime() override { return LocalTime{}; }
  void sleepMs(std::uint32_t) override {}
  std::uint32_t tickCount() override { return 0; }
};

// The other parts' operations with scripted results; each call is logged.
class ScriptedOperations : public RunOperations {
 public:
  explicit ScriptedOperations(std::vector<std::string>& log) : log_(log) {}

  int readInstalledProduct(UpdateApp& app) override;
  int resolveFolders(UpdateApp& app) override;
  int readUpdateScript(UpdateApp& app) override;
  int checkMedia(UpdateApp& app, std::string* message) override;
  int installedModelMask(const UpdateApp& app) override;
  void versionAbortLines(const UpdateApp& app, std::string* firstLine,
                         std::string* secondLine) override;
  int recordUninstallFile(UpdateApp& app, const std::string& path) override;
  int recordUninstallFolder(UpdateApp& app, const std::string& path) override;
  int executeUpdate(UpdateApp& app) override;
  int servicesNotRunning(UpdateApp&) override { return servicesDown; }

  int productResult = 1;
  int majorVersion = 3;
  int minorVersion = 5;
  std::string productName = "Plexor";  // ANSI
  int foldersResult = 1;
  std::string sourceDir = "C:\\media";
  int scriptResult = 1;
  std::function<void(UpdateJob&)> script;  // fills the job when the script is read
  int mediaResult = 1;
  std::string mediaMessage;  // shown when the media check refuses
  int modelMask = 0x1;
  int executeResult = 5;
  int servicesDown = 0;  // listed services installed but not running at the end
  // Record calls fail from this (0-based) call on; -1 never.
  int recordFailsAt = -1;
  int recordFailureResult = 0;  // what a failing record call returns
  std::vector<std::string> recorded;  // "file <path>" / "folder <path>"

 private:
  int record(const std::string& entry);
  std::vector<std::string>& log_;
};

// One run's machine: ports, fakes and the application over them.
struct RunFixture {
  RunFixture();
  // Runs the flow with the given command line; the result of runUpdate.
  int run(const char* commandLine, const std::string& appName = "Quillet");

  std::vector<std::string> log;
  Cp932CodePage codePage;
  TestSystem system;
  NullRegistry registry;
  NullFiles files;
  NullClock clock;
  FakeUi ui;
  FakeServices services;
  FakeProcesses processes;
  FakeShell shell;
  UpdatePorts ports;
  ScriptedOperations operations;
  std::unique_ptr<UpdateApp> app;
};

}  // namespace quillet
