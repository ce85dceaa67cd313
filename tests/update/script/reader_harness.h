#pragma once
// Ports for reader tests: the fakes of the shared fakes library plus small
// local doubles for files, clock and user interface.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_system.h"
#include "update/ports/read_only_file_system.h"
#include "update/ports/update_ports.h"
#include "update/script/update_job.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace script_test {

class ScriptFiles : public ReadOnlyFileSystem {
 public:
  std::map<std::string, std::string> files;
  std::vector<std::string> reads;
  bool readFile(const std::string& path, std::string* bytes) override {
    reads.push_back(path);
    auto it = files.find(path);
    if (it == files.end()) return false;
    *bytes = it->second;
    return true;
  }
};

// Each call of localTime advances one second, so two stamps differ.
class SteppingClock : public ClockPort {
 public:
  LocalTime now{2001, 2, 3, 4, 5, 6};
  int calls = 0;
  LocalTime localTime() override {
    ++calls;
    LocalTime t = now;
    ++now.second;
    return t;
  }
  void sleepMs(std::uint32_t) override {}
  std::uint32_t tickCount() override { return 0; }
};

class MessageUi : public UserInterfacePort {
 public:
  std::vector<std::string> messages;
  void messageBox(const std::string& text) override { messages.push_back(text); }
  int startDialog(const std::string&) override { return kIdCancel; }
  int versionAbortDialog(const std::string&, const std::string&) override { return kIdOk; }
  int adminAbortDialog() override { return kIdOk; }
  int restartDialog(const std::string&) override { return kIdOk; }
  int doneDialog(const std::string&) override { return kIdOk; }
  std::unique_ptr<ProgressWindow> createProgressDialog() override { return nullptr; }
};

class NoServices : public ServicesPort {
 public:
  std::unique_ptr<ServiceManager> openManager() override { return nullptr; }
};

struct ReaderHarness {
  FakeRegistry registry;
  ScriptFiles files;
  FakeSystem system;
  SteppingClock clock;
  MessageUi ui;
  NoServices services;
  FakeProcesses processes;
  Cp932CodePage codePage;
  FakeShell shell;
  UpdatePorts ports{registry, files, system, clock, ui, services, processes, codePage, shell};
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();

  ReaderHarness() {
    job->sourceDir = "D:\\upd";
    job->workDir = "C:\\P";
    job->toolDir = "C:\\P\\tool";
    job->systemDir = "C:\\WINNT\\system32";
    job->iisDir = "C:\\Inetpub";
    job->commonProgramsDir = "C:\\All\\Programs";
    job->commonDesktopDir = "C:\\All\\Desktop";
  }
};

}  // namespace script_test
}  // namespace quillet
