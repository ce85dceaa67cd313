/* A service for the Wine tests: starts and stops in steps (start pending,
 * stop pending, each with checkpoints and a wait hint) and appends every
 * event to a log file, one line each: "<service> start", "<service> running",
 * "<service> control <code>", "<service> stopped", each followed by " @" and
 * the system time (FILETIME ticks), so that a test can place the events among
 * the start times of other programs.
 *
 *   plexor_test_service.exe LOGFILE [MODE...]   (the binary path the test installs)
 *
 * Modes, for the services that are slow or hung:
 *   linger=S     the process stays S seconds after reporting STOPPED
 *   slowstop=S   stays STOP_PENDING S seconds, past its wait hint (1 s), then stops
 *   slowstart=S  stays START_PENDING S seconds (checkpoint every 0.5 s), then runs
 *   stuckstop    stays STOP_PENDING raising its checkpoint for ever, until a file
 *                LOGFILE.release appears
 *   load=DLL     loads DLL at each start, before it reports RUNNING, and keeps it
 *                loaded until the process ends (a service holding its module);
 *                appends the DLL's versionProbe() to LOGFILE.<service>.dll, one
 *                line per start (0: not loaded, -1: no such export)
 */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static char logPath[MAX_PATH];
static char serviceName[256];
static SERVICE_STATUS_HANDLE statusHandle;
static SERVICE_STATUS status;
static HANDLE stopEvent;
static int lingerSeconds, slowStopSeconds, slowStartSeconds, stuckStop;
static char releasePath[MAX_PATH];
static char loadPath[MAX_PATH];

/* Loads the named module and records which build of it this start holds. */
static void loadModule(void) {
  if (loadPath[0] == 0) return;
  HMODULE module = LoadLibraryA(loadPath);
  int probe = 0;
  if (module != NULL) {
    typedef int(__cdecl * ProbeFunction)(void);
    ProbeFunction function = (ProbeFunction)(void*)GetProcAddress(module, "versionProbe");
    probe = function != NULL ? function() : -1;
  }
  char path[MAX_PATH + 300];
  snprintf(path, sizeof path, "%s.%s.dll", logPath, serviceName);
  FILE* f = fopen(path, "ab");
  if (f == NULL) return;
  fprintf(f, "%d\n", probe);
  fclose(f);
}

static void logLine(const char* event, DWORD code) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks = ((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime;
  FILE* f = fopen(logPath, "ab");
  if (f == NULL) return;
  if (code != 0)
    fprintf(f, "%s %s %lu @%llu\n", serviceName, event, (unsigned long)code, ticks);
  else
    fprintf(f, "%s %s @%llu\n", serviceName, event, ticks);
  fclose(f);
}

static void report(DWORD state, DWORD checkPoint, DWORD waitHint) {
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status.dwWin32ExitCode = NO_ERROR;
  status.dwCheckPoint = checkPoint;
  status.dwWaitHint = waitHint;
  SetServiceStatus(statusHandle, &status);
}

static DWORD WINAPI handler(DWORD control, DWORD type, LPVOID data, LPVOID context) {
  (void)type;
  (void)data;
  (void)context;
  if (control == SERVICE_CONTROL_STOP) {
    logLine("control", control);
    report(SERVICE_STOP_PENDING, 1, 2000);
    SetEvent(stopEvent);
    return NO_ERROR;
  }
  if (control == SERVICE_CONTROL_INTERROGATE) return NO_ERROR;
  if (control >= 128 && control <= 255) {
    logLine("control", control);
    return NO_ERROR;
  }
  return ERROR_CALL_NOT_IMPLEMENTED;
}

static void WINAPI serviceMain(DWORD argc, LPSTR* argv) {
  lstrcpynA(serviceName, argc > 0 ? argv[0] : "?", sizeof serviceName);
  statusHandle = RegisterServiceCtrlHandlerExA(serviceName, handler, NULL);
  if (statusHandle == NULL) return;
  stopEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  logLine("start", 0);
  /* Two checkpoints a little apart, so the starter polls at least once. */
  report(SERVICE_START_PENDING, 1, 3000);
  Sleep(300);
  report(SERVICE_START_PENDING, 2, 3000);
  Sleep(300);
  DWORD checkPoint = 3;
  for (int i = 0; i < slowStartSeconds * 2; ++i, Sleep(500))
    report(SERVICE_START_PENDING, checkPoint++, 3000);
  loadModule();
  report(SERVICE_RUNNING, 0, 0);
  logLine("running", 0);
  WaitForSingleObject(stopEvent, INFINITE);
  Sleep(300);
  report(SERVICE_STOP_PENDING, 2, 2000);
  Sleep(300);
  report(SERVICE_STOP_PENDING, 3, 1000);
  Sleep(slowStopSeconds * 1000);
  for (checkPoint = 4; stuckStop && GetFileAttributesA(releasePath) == INVALID_FILE_ATTRIBUTES;
       Sleep(1000))
    report(SERVICE_STOP_PENDING, checkPoint++, 3000);
  logLine("stopped", 0);
  report(SERVICE_STOPPED, 0, 0);
}

int main(int argc, char** argv) {
  SERVICE_TABLE_ENTRYA table[] = {{(LPSTR) "", serviceMain}, {NULL, NULL}};
  if (argc < 2) return 2;
  lstrcpynA(logPath, argv[1], sizeof logPath);
  snprintf(releasePath, sizeof releasePath, "%s.release", logPath);
  for (int i = 2; i < argc; ++i) {
    sscanf(argv[i], "linger=%d", &lingerSeconds);
    sscanf(argv[i], "slowstop=%d", &slowStopSeconds);
    sscanf(argv[i], "slowstart=%d", &slowStartSeconds);
    if (strcmp(argv[i], "stuckstop") == 0) stuckStop = 1;
    if (strncmp(argv[i], "load=", 5) == 0) lstrcpynA(loadPath, argv[i] + 5, sizeof loadPath);
  }
  const int status = StartServiceCtrlDispatcherA(table) ? 0 : 1;
  Sleep(lingerSeconds * 1000);
  return status;
}
