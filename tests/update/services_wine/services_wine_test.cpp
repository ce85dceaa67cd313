// Services on the real platform: a test service of the project (start and
// stop pending with checkpoints, control codes logged) installed into the
// prefix's service manager, stopped and started by the steps through the
// Win32 adapter, and the print service notified under its own name. Wine
// ignores dependencies, so dependents first is covered with fakes only.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "tests/update/ops_wine/wine_scratch.h"
#include "tests/update/services_wine/machine_ports.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;

class InstalledService {
 public:
  InstalledService(const std::string& name, const std::string& logPath) : name_(name) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    remove(manager);
    const std::string command =
        "\"" + programFolder() + "\\plexor_test_service.exe\" \"" + logPath + "\"";
    SC_HANDLE service = CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                       SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr,
                                       nullptr, nullptr, nullptr);
    installed_ = service != nullptr;
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
  }
  ~InstalledService() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    remove(manager);
    CloseServiceHandle(manager);
  }
  bool installed() const { return installed_; }
  DWORD state() const {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, name_.c_str(), SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (service) QueryServiceStatus(service, &status);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return status.dwCurrentState;
  }

 private:
  void remove(SC_HANDLE manager) {
    SC_HANDLE old = OpenServiceA(manager, name_.c_str(), SERVICE_ALL_ACCESS);
    if (old == nullptr) return;
    SERVICE_STATUS status{};
    ControlService(old, SERVICE_CONTROL_STOP, &status);
    for (int i = 0; i < 50 && QueryServiceStatus(old, &status) &&
                    status.dwCurrentState != SERVICE_STOPPED;
         ++i)
      Sleep(100);
    DeleteService(old);
    CloseServiceHandle(old);
  }
  std::string name_;
  bool installed_ = false;
};

// The log lines of one service, without their times.
std::vector<std::string> eventsOf(const std::string& logPath, const std::string& name) {
  std::istringstream lines(readBytes(logPath));
  std::vector<std::string> events;
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, name.size() + 1, name + " ") != 0) continue;
    const std::size_t time = line.find(" @");
    events.push_back(line.substr(name.size() + 1, time - (name.size() + 1)));
  }
  return events;
}

TEST(ServiceStepsOnWine, StopStartAndNoticeThroughTheAdapter) {
  ScratchFolder dir("services");
  const std::string log = dir / "events.log";
  InstalledService worker("PlexorTestWorker", log);
  InstalledService printService("Lindquay", log);
  ASSERT_TRUE(worker.installed() && printService.installed());

  MachinePorts machine;
  UpdateJob& job = *machine.job;
  StandardSteps steps(job, machine.ports);
  auto progress = machine.ui.createProgressDialog();

  // Start both (the worker was stopped; the second name does not exist).
  job.servicesToStart[job.serviceToStartCount++] = "PlexorTestWorker";
  job.servicesToStart[job.serviceToStartCount++] = "PlexorNoSuchService";
  job.servicesToStart[job.serviceToStartCount++] = "Lindquay";
  EXPECT_EQ(steps.startListedServices(*progress), 1);
  EXPECT_EQ(worker.state(), static_cast<DWORD>(SERVICE_RUNNING));  // waited for it
  EXPECT_EQ(printService.state(), static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(machine.ui.progress.stepIts, 3);

  // Already running: the start fails and nothing waits.
  DWORD before = GetTickCount();
  EXPECT_EQ(steps.startListedServices(*progress), 1);
  EXPECT_LT(GetTickCount() - before, 900u);

  EXPECT_EQ(steps.notifyPrintService(), 1);

  // Stop the worker: it reports stop pending with checkpoints first.
  job.servicesToStop[job.serviceToStopCount++] = "PlexorTestWorker";
  job.servicesToStop[job.serviceToStopCount++] = "PlexorNoSuchService";
  before = GetTickCount();
  EXPECT_EQ(steps.stopListedServices(*progress), 1);
  EXPECT_GE(GetTickCount() - before, 2000u);  // the fixed wait after stopping
  EXPECT_EQ(worker.state(), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(machine.ui.progress.stepIts, 3 + 3 + 3);

  // The print service stopped: the notice is not delivered.
  job.servicesToStop[0] = "Lindquay";
  job.serviceToStopCount = 1;
  steps.stopListedServices(*progress);
  EXPECT_EQ(printService.state(), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(steps.notifyPrintService(), 0);

  EXPECT_THAT(eventsOf(log, "PlexorTestWorker"),
              ElementsAre("start", "running", "control 1", "stopped"));
  EXPECT_THAT(eventsOf(log, "Lindquay"),
              ElementsAre("start", "running", "control 128", "control 1", "stopped"));
}

}  // namespace
}  // namespace quillet
