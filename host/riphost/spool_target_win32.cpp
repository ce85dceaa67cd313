// On Windows the documents go through the real spooler: riphost (re)creates
// a raw printer of the ticket's printer name whose port is a pipe that
// writes each document into the next free doc-NNNN.prn of the output folder.
// Pipe ports are a feature of Wine's spooler; the folder's Unix path comes
// from Wine's wine_get_unix_file_name.
#include <windows.h>
#include <winspool.h>

#include <string>

#include "host/riphost/spool_target.h"

namespace riphost {
namespace {

std::wstring wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
  return w;
}

bool unixPath(const std::wstring& windowsPath, std::string& out) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  auto fn = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return false;
  char* name = fn(windowsPath.c_str());
  if (!name) return false;
  out = name;
  HeapFree(GetProcessHeap(), 0, name);
  return true;
}

}  // namespace

bool prepareSpoolTarget(const std::string& outDir, const std::string& printerName, std::string& error) {
  std::wstring dir = wide(outDir);
  CreateDirectoryW(dir.c_str(), nullptr);
  wchar_t full[MAX_PATH];
  if (!GetFullPathNameW(dir.c_str(), MAX_PATH, full, nullptr)) {
    error = "bad output folder " + outDir;
    return false;
  }
  std::string folder;
  if (!unixPath(full, folder)) {
    error = "writing spool documents into a folder needs Wine's pipe ports";
    return false;
  }
  // Each document takes the next number that is still free; the spooler
  // hands documents over one after another. The folder goes into the shell
  // command single-quoted, its own quotes closed, escaped and reopened.
  std::string quoted;
  for (char c : folder) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  std::string command =
      "|cd '" + quoted + "' && n=1 && while [ -e \"$(printf doc-%04d.prn $n)\" ]; do n=$((n+1)); done && "
      "cat > \"$(printf doc-%04d.prn $n)\"";

  std::wstring name = wide(printerName);
  HANDLE existing = nullptr;
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (OpenPrinterW(&name[0], &existing, &all)) {
    DeletePrinter(existing);  // its port may name another folder
    ClosePrinter(existing);
  }
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<LPWSTR>(L"Plexor riphost raw");
  driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
  driver.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
  AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES);  // may already exist

  std::wstring port = wide(command);
  PRINTER_INFO_2W info{};
  info.pPrinterName = &name[0];
  info.pPortName = &port[0];
  info.pDriverName = driver.pName;
  info.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
  info.pDatatype = const_cast<LPWSTR>(L"RAW");
  HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
  if (!printer) {
    error = "AddPrinterW failed with " + std::to_string(GetLastError());
    return false;
  }
  ClosePrinter(printer);
  return true;
}

}  // namespace riphost
