#include "update/win32/win32_clock.h"

#include <windows.h>

namespace quillet {

LocalTime Win32Clock::localTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void Win32Clock::sleepMs(std::uint32_t milliseconds) { Sleep(milliseconds); }

std::uint32_t Win32Clock::tickCount() { return GetTickCount(); }

}  // namespace quillet
