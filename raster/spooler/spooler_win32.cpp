// The Windows spooler, disk, registry, clock and code-page ports.
#include <windows.h>
#include <winspool.h>

#include <cstdlib>

#include "raster/spooler/system_ports.h"

namespace vexmoor {
namespace {

LPWSTR wide(const char16_t* text) { return reinterpret_cast<LPWSTR>(const_cast<char16_t*>(text)); }

bool openPrinter(void*, const char16_t* name, bool allAccess, PrinterHandle* handle) {
  HANDLE h = nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};  // 0x000F000C
  if (!OpenPrinterW(wide(name), &h, allAccess ? &defaults : nullptr)) return false;
  *handle = h;
  return true;
}

bool startDoc(void*, PrinterHandle handle, const char16_t* documentName) {
  DOC_INFO_1W info{wide(documentName), nullptr, const_cast<LPWSTR>(L"RAW")};
  return StartDocPrinterW(static_cast<HANDLE>(handle), 1, reinterpret_cast<LPBYTE>(&info)) != 0;
}

bool writeBytes(void*, PrinterHandle handle, const void* bytes, std::uint32_t length) {
  DWORD written = 0;  // the count is not examined: success is what counts
  return WritePrinter(static_cast<HANDLE>(handle), const_cast<void*>(bytes), length, &written) != 0;
}

bool endDoc(void*, PrinterHandle handle) { return EndDocPrinter(static_cast<HANDLE>(handle)) != 0; }
bool abortDoc(void*, PrinterHandle handle) { return AbortPrinter(static_cast<HANDLE>(handle)) != 0; }
bool closePrinter(void*, PrinterHandle handle) { return ClosePrinter(static_cast<HANDLE>(handle)) != 0; }

bool querySpoolDirectory(HANDLE h, char16_t* directory, std::size_t capacity) {
  DWORD type = 0, needed = 0;
  DWORD bytes = DWORD(capacity * sizeof(char16_t));
  if (GetPrinterDataW(h, const_cast<LPWSTR>(L"DefaultSpoolDirectory"), &type, reinterpret_cast<LPBYTE>(directory),
                      bytes, &needed) != ERROR_SUCCESS)
    return false;
  directory[capacity - 1] = 0;
  return true;
}

// "DefaultSpoolDirectory" is a value of the print server: a printer handle
// looks it up among the printer's own data and does not find it. The server
// handle answers.
bool spoolDirectory(void*, PrinterHandle handle, char16_t* directory, std::size_t capacity) {
  if (querySpoolDirectory(static_cast<HANDLE>(handle), directory, capacity)) return true;
  HANDLE server = nullptr;
  if (!OpenPrinterW(nullptr, &server, nullptr)) return false;
  bool ok = querySpoolDirectory(server, directory, capacity);
  ClosePrinter(server);
  return ok;
}

bool printerState(void*, PrinterHandle handle, PrinterState* state) {
  DWORD needed = 0;
  GetPrinterW(static_cast<HANDLE>(handle), 2, nullptr, 0, &needed);
  if (needed == 0) return false;
  auto* info = static_cast<BYTE*>(std::malloc(needed));
  if (!info) return false;
  bool ok = GetPrinterW(static_cast<HANDLE>(handle), 2, info, needed, &needed) != 0;
  if (ok) state->queuedJobs = reinterpret_cast<PRINTER_INFO_2W*>(info)->cJobs;
  std::free(info);
  return ok;
}

bool freeBytes(void*, const char16_t* directory, std::uint64_t* freeBytes) {
  ULARGE_INTEGER caller{};
  if (!GetDiskFreeSpaceExW(wide(directory), &caller, nullptr, nullptr)) return false;
  *freeBytes = caller.QuadPart;
  return true;
}

bool readValue(void*, const char16_t* name, std::uint32_t* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\norvane\\Plexor\\Configuration", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return false;
  DWORD data = 0, size = sizeof data;  // 4 bytes; the value's type is not examined
  bool ok = RegQueryValueExW(key, wide(name), nullptr, nullptr, reinterpret_cast<LPBYTE>(&data), &size) ==
            ERROR_SUCCESS;
  RegCloseKey(key);
  if (ok) *value = data;
  return ok;
}

void sleepMilliseconds(void*, std::uint32_t ms) { Sleep(ms); }

void toWide(void*, const char* text, char16_t* out, std::size_t capacity) {
  if (!capacity) return;
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<LPWSTR>(out), int(capacity));
  if (n <= 0) {
    // Too long: keep what fits.
    n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    out[0] = 0;
    if (n > 0) {
      auto* all = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * n));
      if (all) {
        MultiByteToWideChar(CP_ACP, 0, text, -1, all, n);
        std::size_t k = 0;
        for (; k + 1 < capacity && all[k]; ++k) out[k] = char16_t(all[k]);
        out[k] = 0;
        std::free(all);
      }
    }
  }
  out[capacity - 1] = 0;
}

void toNarrow(void*, const char16_t* text, char* out, std::size_t capacity) {
  if (!capacity) return;
  int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(text), -1, out, int(capacity), nullptr, nullptr);
  if (n > 0) {
    out[capacity - 1] = 0;
    return;
  }
  // Too long: keep the whole characters that fit (a double-byte character is
  // never cut in half), character by character.
  std::size_t used = 0;
  for (const char16_t* p = text; *p;) {
    int units = (p[0] >= 0xD800 && p[0] < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) ? 2 : 1;
    char bytes[8];
    int k = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(p), units, bytes, int(sizeof bytes), nullptr,
                                nullptr);
    if (k <= 0 || used + std::size_t(k) + 1 > capacity) break;
    for (int i = 0; i < k; ++i) out[used++] = bytes[i];
    p += units;
  }
  out[used] = 0;
}

}  // namespace

SpoolerPort systemSpoolerPort() {
  return SpoolerPort{nullptr,       &openPrinter,    &startDoc,    &writeBytes, &endDoc, &abortDoc,
                     &closePrinter, &spoolDirectory, &printerState};
}
DiskSpacePort systemDiskSpacePort() { return DiskSpacePort{nullptr, &freeBytes}; }
ConfigPort systemConfigPort() { return ConfigPort{nullptr, &readValue}; }
ClockPort systemClockPort() { return ClockPort{nullptr, &sleepMilliseconds}; }
TextPort systemTextPort() { return TextPort{nullptr, &toWide, &toNarrow}; }

}  // namespace vexmoor
