#include "update/win32/win32_run_log.h"

#include <windows.h>

namespace quillet {
namespace {

// Writing the log must not disturb the error a step is about to read.
class KeepLastError {
 public:
  KeepLastError() : error_(GetLastError()) {}
  ~KeepLastError() { SetLastError(error_); }

 private:
  DWORD error_;
};

bool writeAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

Win32RunLog::~Win32RunLog() {
  if (file_ != nullptr) CloseHandle(static_cast<HANDLE>(file_));
}

bool Win32RunLog::open(const std::string& path) {
  KeepLastError keep;
  if (file_ != nullptr) return false;  // one log per run
  // A second copy naming the same log cannot open it (no write sharing), so
  // it never empties the log of the copy that runs.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (!writeAll(file, "\xEF\xBB\xBF")) {
    CloseHandle(file);
    return false;
  }
  file_ = file;
  return true;
}

void Win32RunLog::writeLine(const std::string& utf8Line) {
  if (file_ == nullptr) return;
  KeepLastError keep;
  writeAll(static_cast<HANDLE>(file_), utf8Line + "\r\n");
}

long win32LastError() { return static_cast<long>(GetLastError()); }

}  // namespace quillet
