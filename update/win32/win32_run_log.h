#pragma once
// The run log as a file: CreateFileA (others may read it while it grows),
// the UTF-8 byte-order mark, then one WriteFile per line.
#include <string>

#include "update/ports/run_log_port.h"

namespace quillet {

class Win32RunLog : public RunLogPort {
 public:
  Win32RunLog() = default;
  ~Win32RunLog() override;
  Win32RunLog(const Win32RunLog&) = delete;
  Win32RunLog& operator=(const Win32RunLog&) = delete;

  bool open(const std::string& path) override;
  void writeLine(const std::string& utf8Line) override;

 private:
  void* file_ = nullptr;  // HANDLE; null when no file is open
};

// GetLastError: what the logging ports read right after a call that failed.
long win32LastError();

}  // namespace quillet
