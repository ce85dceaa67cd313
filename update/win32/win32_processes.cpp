#include "update/win32/win32_processes.h"

#include <windows.h>
#include <winperf.h>

#include <cstddef>

namespace quillet {

namespace {

// The portable walk reads the performance data at these offsets.
static_assert(offsetof(PERF_DATA_BLOCK, HeaderLength) == 24, "layout");
static_assert(offsetof(PERF_DATA_BLOCK, NumObjectTypes) == 28, "layout");
static_assert(offsetof(PERF_OBJECT_TYPE, DefinitionLength) == 4, "layout");
static_assert(offsetof(PERF_OBJECT_TYPE, HeaderLength) == 8, "layout");
static_assert(offsetof(PERF_OBJECT_TYPE, NumCounters) == 32, "layout");
static_assert(offsetof(PERF_OBJECT_TYPE, NumInstances) == 40, "layout");
static_assert(sizeof(PERF_COUNTER_DEFINITION) == 40, "layout");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex) == 4, "layout");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterOffset) == 36, "layout");
static_assert(sizeof(PERF_INSTANCE_DEFINITION) == 24, "layout");
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameOffset) == 16, "layout");
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameLength) == 20, "layout");

constexpr int kAnsiNameBuffer = 260;
// How long an ended process is given to be gone.
constexpr DWORD kEndedProcessWaitMs = 5000;

}  // namespace

bool Win32Processes::readCounterNames(const std::string& keyPath, std::vector<unsigned char>* data) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  DWORD size = 0;
  bool read = RegQueryValueExA(key, "Counters", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
  if (read) {
    data->assign(size, 0);
    read = RegQueryValueExA(key, "Counters", nullptr, nullptr, data->data(), &size) == ERROR_SUCCESS;
    if (size < data->size()) data->resize(size);
  }
  RegCloseKey(key);
  return read;
}

long Win32Processes::queryPerformanceData(const std::string& valueName,
                                          std::vector<unsigned char>& buffer, std::size_t* length) {
  DWORD size = static_cast<DWORD>(buffer.size());
  const LONG error = RegQueryValueExA(HKEY_PERFORMANCE_DATA, valueName.c_str(), nullptr, nullptr,
                                      buffer.data(), &size);
  *length = (error == ERROR_SUCCESS && size <= buffer.size()) ? size : 0;
  return error;
}

void Win32Processes::closePerformanceData() { RegCloseKey(HKEY_PERFORMANCE_DATA); }

std::string Win32Processes::instanceNameToAnsi(const std::u16string& name) {
  if (name.empty()) return std::string();
  char ansi[kAnsiNameBuffer];
  const int written =
      WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(name.data()),
                          static_cast<int>(name.size()), ansi, sizeof ansi - 1, nullptr, nullptr);
  if (written <= 0) return std::string();
  return std::string(ansi, written);
}

std::uint32_t Win32Processes::ownProcessId() { return GetCurrentProcessId(); }

ProcessesPort::Lookup Win32Processes::lookUpProcess(std::uint32_t processId,
                                                    std::uint64_t* creationTime) {
  // The limited right (Vista and later) is granted for more processes; XP
  // knows only the full query right.
  constexpr DWORD kQueryLimitedInformation = 0x1000;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (process == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
    process = OpenProcess(kQueryLimitedInformation, FALSE, processId);
  }
  if (process == nullptr) {
    return GetLastError() == ERROR_ACCESS_DENIED ? Lookup::kNotAccessible : Lookup::kNotRunning;
  }
  // An ended process lives on as an object while handles to it are open.
  DWORD exitCode = 0;
  FILETIME created = {};
  FILETIME unused[3] = {};
  Lookup lookup = Lookup::kNotAccessible;
  if (GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE) {
    lookup = Lookup::kNotRunning;
  } else if (GetProcessTimes(process, &created, &unused[0], &unused[1], &unused[2])) {
    *creationTime = static_cast<std::uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
    lookup = Lookup::kRunning;
  }
  CloseHandle(process);
  return lookup;
}

bool Win32Processes::endProcess(std::uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
  if (process == nullptr) return false;
  const bool ended = TerminateProcess(process, 1) != FALSE;
  // Termination only begins here: wait until the process is gone and has let
  // go of its files, so that the copy does not race it.
  if (ended) WaitForSingleObject(process, kEndedProcessWaitMs);
  CloseHandle(process);
  return ended;
}

PrivilegeStage Win32Processes::enableDebugPrivilege(long* lastError) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    *lastError = static_cast<long>(GetLastError());
    return PrivilegeStage::kOpenToken;
  }
  PrivilegeStage stage = PrivilegeStage::kEnabled;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
    stage = PrivilegeStage::kLookup;
  } else {
    SetLastError(ERROR_SUCCESS);
    // Success counts only with no last error: an account that lacks the
    // privilege gets ERROR_NOT_ALL_ASSIGNED from a call that "succeeds".
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    if (GetLastError() != ERROR_SUCCESS) stage = PrivilegeStage::kAdjust;
  }
  *lastError = stage == PrivilegeStage::kEnabled ? 0 : static_cast<long>(GetLastError());
  CloseHandle(token);
  return stage;
}

}  // namespace quillet
