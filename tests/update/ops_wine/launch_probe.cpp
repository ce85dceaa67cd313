// A program that Quillet starts in the Wine tests. At once it looks which of
// the given paths exist and in which state the given services are, then
// appends one line to the log:
//   TAG CREATION-TIME yes|no|<service state> ...
// where CREATION-TIME is its own process creation time (FILETIME ticks), so
// the order in which programs were started can be told apart from the order
// in which they got to write. An argument "svc:NAME" stands for the service
// NAME and gives "running", "stopped", "pending" or "none" (cannot be asked).
// usage: launch_probe LOG TAG [PATH | svc:NAME ...]
// With a word "cmdline" anywhere, the line is instead the program's own path,
// " | " and its whole command line, written to the log named just before the
// word (also when a wrong program was started with a longer command line).
#include <windows.h>

#include <cstring>
#include <string>

namespace {

const char* serviceState(const char* name) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return "none";
  SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  const bool known = service != nullptr && QueryServiceStatus(service, &status);
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (!known) return "none";
  if (status.dwCurrentState == SERVICE_RUNNING) return "running";
  if (status.dwCurrentState == SERVICE_STOPPED) return "stopped";
  return "pending";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string line = argv[2];
  bool commandLineMode = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "cmdline") != 0) continue;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    argv[1] = argv[i - 1];
    argc = 3;
    commandLineMode = true;
    line = std::string(self) + " | " + GetCommandLineA();
  }
  FILETIME creation = {}, exited = {}, kernel = {}, user = {};
  GetProcessTimes(GetCurrentProcess(), &creation, &exited, &kernel, &user);
  std::string seen;
  for (int i = 3; i < argc; ++i) {
    if (std::strncmp(argv[i], "svc:", 4) == 0)
      seen += std::string(" ") + serviceState(argv[i] + 4);
    else
      seen += GetFileAttributesA(argv[i]) != INVALID_FILE_ATTRIBUTES ? " yes" : " no";
  }
  const unsigned long long ticks =
      (static_cast<unsigned long long>(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
  if (!commandLineMode) line += " " + std::to_string(ticks) + seen;
  line += "\n";

  // Several probes may append at once: retry while another holds the log.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE log = CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(log);
      return ok && written == line.size() ? 0 : 1;
    }
    Sleep(10);
  }
  return 1;
}
