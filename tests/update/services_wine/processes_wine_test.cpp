// The process list on the real platform. Wine has no process object of its
// own and its "Counters" text holds no English names, so: with the plain
// adapter the list is empty and a run with patterns ends nothing; with the
// project's test performance provider registered and the counter names a
// Windows system has, the whole walk runs through HKEY_PERFORMANCE_DATA and
// the step ends a matching process but never itself.
#include <windows.h>

#include <tlhelp32.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/update/ops/perf_block.h"
#include "tests/update/ops_wine/wine_scratch.h"
#include "tests/update/services_wine/machine_ports.h"
#include "update/ops/debug_privilege.h"
#include "update/ops/process_list.h"

namespace quillet {
namespace {

// The adapter with the counter names of a Windows system.
class WindowsCounterNames : public Win32Processes {
 public:
  bool readCounterNames(const std::string& keyPath, std::vector<unsigned char>* data) override {
    keyPathRead = keyPath;
    data->assign(kProcessCounters, kProcessCounters + kProcessCountersSize);
    return true;
  }
  std::string keyPathRead;
};

void registerProvider() {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\Services\\PlexorPerf\\Performance", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string library = programFolder() + "\\plexor_perf_provider.dll";
  const std::pair<const char*, std::string> values[] = {{"Library", library},
                                                        {"Open", "OpenPlexorPerf"},
                                                        {"Collect", "CollectPlexorPerf"},
                                                        {"Close", "ClosePlexorPerf"},
                                                        {"Object List", "230"}};
  for (const auto& value : values) {
    RegSetValueExA(key, value.first, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.second.c_str()),
                   static_cast<DWORD>(value.second.size() + 1));
  }
  RegCloseKey(key);
}

// Whether the system's process list (which the test provider serves) shows the process.
bool processListed(DWORD id) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found;
       more = Process32Next(snapshot, &entry)) {
    found = entry.th32ProcessID == id;
  }
  CloseHandle(snapshot);
  return found;
}

struct Sleeper {
  Sleeper() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + programFolder() + "\\plexor_sleeper.exe\"";
    started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info) != FALSE;
    // Until it appears in the process list, for at most 20 s.
    const ULONGLONG end = GetTickCount64() + 20000;
    while (started && !processListed(info.dwProcessId) && GetTickCount64() < end) Sleep(20);
  }
  ~Sleeper() {
    if (!started) return;
    TerminateProcess(info.hProcess, 0);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  bool ended(DWORD* exitCode) const {
    if (WaitForSingleObject(info.hProcess, 5000) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(info.hProcess, exitCode);
    return true;
  }
  bool started = false;
  PROCESS_INFORMATION info{};
};

// A journal's owner: found with its creation time while it runs, not once ended.
TEST(ProcessesAdapterOnWine, LooksUpALiveProcessWithItsCreationTimeAndNotAnEndedOne) {
  Win32Processes processes;
  Sleeper sleeper;
  ASSERT_TRUE(sleeper.started);
  std::uint64_t created = 0;
  FILETIME times[4] = {};
  ASSERT_TRUE(GetProcessTimes(sleeper.info.hProcess, &times[0], &times[1], &times[2], &times[3]));
  EXPECT_EQ(processes.lookUpProcess(sleeper.info.dwProcessId, &created),
            ProcessesPort::Lookup::kRunning);
  EXPECT_EQ(created, std::uint64_t{times[0].dwHighDateTime} << 32 | times[0].dwLowDateTime);
  TerminateProcess(sleeper.info.hProcess, 3);
  DWORD exitCode = 0;
  ASSERT_TRUE(sleeper.ended(&exitCode));
  EXPECT_EQ(processes.lookUpProcess(sleeper.info.dwProcessId, &created),
            ProcessesPort::Lookup::kNotRunning);
}

const ProcessInfo* find(const ProcessInfo* list, int count, std::uint32_t id) {
  const ProcessInfo* end = list + count;
  const ProcessInfo* it =
      std::find_if(list, end, [id](const ProcessInfo& entry) { return entry.processId == id; });
  return it == end ? nullptr : it;
}

TEST(ProcessStepsOnWine, WithoutProcessObjectNothingIsListedOrEnded) {
  Sleeper sleeper;
  ASSERT_TRUE(sleeper.started);
  Win32Processes processes;
  std::vector<unsigned char> counters;
  ASSERT_TRUE(processes.readCounterNames(
      "software\\microsoft\\windows nt\\currentversion\\perflib\\009", &counters));
  EXPECT_FALSE(counters.empty());
  auto list = std::make_unique<ProcessInfo[]>(kProcessListSize);
  EXPECT_EQ(listProcesses(processes, list.get(), kProcessListSize), 0);
  EXPECT_EQ(enableDebugPrivilege(processes, stdout), 1);

  MachinePorts machine;
  machine.job->processesToEnd[machine.job->processToEndCount++] = "plexor_sleep*";
  StandardSteps steps(*machine.job, machine.ports);
  EXPECT_EQ(steps.endListedProcesses(), 1);
  EXPECT_EQ(WaitForSingleObject(sleeper.info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(ProcessStepsOnWine, TestProviderListsProcessesAndTheStepEndsTheMatchOnly) {
  registerProvider();
  Sleeper sleeper;
  ASSERT_TRUE(sleeper.started);
  WindowsCounterNames processes;
  auto list = std::make_unique<ProcessInfo[]>(kProcessListSize);
  const int count = listProcesses(processes, list.get(), kProcessListSize);
  ASSERT_GT(count, 1);
  const ProcessInfo* own = find(list.get(), count, GetCurrentProcessId());
  ASSERT_NE(own, nullptr);
  EXPECT_STREQ(own->name, "quillet_services_wine_test.exe");
  const ProcessInfo* other = find(list.get(), count, sleeper.info.dwProcessId);
  ASSERT_NE(other, nullptr);
  EXPECT_STREQ(other->name, "plexor_sleeper.exe");

  MachinePorts machine(&processes);
  for (const char* name : {"NOTHING*", "Plexor_Sleep?r", "quillet_services_wine_test"})
    machine.job->processesToEnd[machine.job->processToEndCount++] = name;
  StandardSteps steps(*machine.job, machine.ports);
  EXPECT_EQ(steps.endListedProcesses(), 1);
  // Gone, not only asked to end, when the step returns.
  EXPECT_EQ(WaitForSingleObject(sleeper.info.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD exitCode = 0;
  ASSERT_TRUE(sleeper.ended(&exitCode));
  EXPECT_EQ(exitCode, 1u);  // ended by the step, not by the test
  // Still running: the own process matched its own name and was skipped.
}

}  // namespace
}  // namespace quillet
