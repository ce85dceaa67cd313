// The job counter file on Windows: LockFileEx on the open file. Locks belong
// to the handle, so two opens in one process exclude each other as well as
// two processes do.
#include <windows.h>

#include "raster/spooler/system_ports.h"

namespace vexmoor {
namespace {

// Tries the lock without blocking until it is had or the bound has passed:
// a holder that hangs costs each waiter the bound, never more. The pause
// between tries grows from 1 to 10 milliseconds.
enum class Lock { Had, Busy, Failed };
Lock lockWithin(HANDLE h, DWORD flags, unsigned milliseconds) {
  const DWORD start = GetTickCount();  // differences stay right across its wrap
  DWORD pause = 1;
  for (;;) {
    OVERLAPPED whole{};  // from byte 0 over every byte the file can have
    if (LockFileEx(h, flags | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) return Lock::Had;
    if (GetLastError() != ERROR_LOCK_VIOLATION) return Lock::Failed;
    if (GetTickCount() - start >= milliseconds) return Lock::Busy;
    Sleep(pause);
    if (pause < 10) ++pause;
  }
}

void* openLocked(void*, const char* path, bool forWriting, bool* busy) {
  *busy = false;
  // Shared with every other opener, so that they reach the lock and wait
  // there; no security attributes: the handle is not inherited.
  HANDLE h = CreateFileA(path, forWriting ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         forWriting ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  const Lock lock = lockWithin(h, forWriting ? LOCKFILE_EXCLUSIVE_LOCK : 0, kCounterLockWaitMilliseconds);
  if (lock != Lock::Had) {
    *busy = lock == Lock::Busy;
    CloseHandle(h);
    return nullptr;
  }
  return h;
}

void readText(void*, void* file, char* text, std::size_t capacity) {
  DWORD got = 0;
  if (SetFilePointer(static_cast<HANDLE>(file), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !ReadFile(static_cast<HANDLE>(file), text, DWORD(capacity - 1), &got, nullptr))
    got = 0;
  text[got] = 0;
}

bool replaceText(void*, void* file, const char* text, std::size_t length) {
  HANDLE h = static_cast<HANDLE>(file);
  DWORD written = 0;
  return SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         WriteFile(h, text, DWORD(length), &written, nullptr) && written == length && SetEndOfFile(h);
}

void closeFile(void*, void* file) {
  OVERLAPPED whole{};
  UnlockFileEx(static_cast<HANDLE>(file), 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(static_cast<HANDLE>(file));
}

}  // namespace

CounterFilePort systemCounterFilePort() { return CounterFilePort{nullptr, &openLocked, &readText, &replaceText, &closeFile}; }

}  // namespace vexmoor
