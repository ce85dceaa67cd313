#pragma once
// Running processes: the system's performance data (where the process list
// comes from), the own process id, ending a process, and the debug privilege
// that lets the tool end processes of other accounts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

// Where enabling the debug privilege stopped.
enum class PrivilegeStage {
  kEnabled,       // adjusted, and the last error was 0 afterwards
  kOpenToken,     // OpenProcessToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY) failed
  kLookup,        // LookupPrivilegeValueA(local system, "SeDebugPrivilege") failed
  kAdjust,        // AdjustTokenPrivileges failed, or left a last error (not held)
};

class ProcessesPort {
 public:
  virtual ~ProcessesPort() = default;

  // Opens HKEY_LOCAL_MACHINE\keyPath with KEY_READ and reads its value
  // "Counters" (size first, then the data into a zero-filled buffer of that
  // size). False when the key or the value cannot be read.
  virtual bool readCounterNames(const std::string& keyPath, std::vector<unsigned char>* data) = 0;
  // One RegQueryValueExA of valueName on HKEY_PERFORMANCE_DATA into buffer
  // (its whole size offered). Returns the error code (0, kErrorMoreData, ...);
  // *length is the number of bytes the answer filled.
  virtual long queryPerformanceData(const std::string& valueName,
                                    std::vector<unsigned char>& buffer, std::size_t* length) = 0;
  // RegCloseKey(HKEY_PERFORMANCE_DATA) after the last query.
  virtual void closePerformanceData() = 0;
  // WideCharToMultiByte to the ANSI code page into 260 bytes; empty when the
  // name does not convert or does not fit.
  virtual std::string instanceNameToAnsi(const std::u16string& name) = 0;

  virtual std::uint32_t ownProcessId() = 0;
  // Whether the process with this id runs now and when it was created
  // (GetProcessTimes, 100 ns units since 1601): kRunning with *creationTime;
  // kNotRunning when no such process runs (or it has ended); kNotAccessible
  // when one runs but may not be asked (its time unknown).
  enum class Lookup { kRunning, kNotRunning, kNotAccessible };
  virtual Lookup lookUpProcess(std::uint32_t processId, std::uint64_t* creationTime) = 0;
  // OpenProcess(PROCESS_ALL_ACCESS, not inheritable), TerminateProcess with
  // exit code 1, a bounded wait (5 s) for the process to be gone, close;
  // true when the termination succeeded.
  virtual bool endProcess(std::uint32_t processId) = 0;
  // Enables "SeDebugPrivilege" on the own process token; *lastError is the
  // error code of the stage that failed.
  virtual PrivilegeStage enableDebugPrivilege(long* lastError) = 0;
};

}  // namespace quillet
