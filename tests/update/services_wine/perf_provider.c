/* A performance data provider for the Wine tests: it serves the process
 * object (index 230) with one counter, "ID Process" (index 784), for every
 * process of a toolhelp snapshot, in the published layout. Wine has no
 * process object of its own; with this provider registered, the process
 * list can be read through HKEY_PERFORMANCE_DATA as on Windows. */
#include <windows.h>
#include <tlhelp32.h>
#include <winperf.h>

#define PROCESS_OBJECT 230
#define ID_PROCESS_COUNTER 784
#define MAX_INSTANCES 512

typedef struct {
  PERF_COUNTER_BLOCK block;
  DWORD idProcess;
  DWORD padding;
} ProcessCounters;

__declspec(dllexport) DWORD WINAPI OpenPlexorPerf(LPWSTR devices) {
  (void)devices;
  return ERROR_SUCCESS;
}

__declspec(dllexport) DWORD WINAPI ClosePlexorPerf(void) { return ERROR_SUCCESS; }

/* Wine 8 hands the provider a pointer sizeof(PERF_DATA_BLOCK) bytes too far
 * (the header is counted twice); on Wine the data is written that much
 * earlier, where the caller expects it. */
static size_t wineHeaderSlip(void) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  typedef const char*(CDECL * VersionFn)(void);
  VersionFn version = ntdll ? (VersionFn)(void*)GetProcAddress(ntdll, "wine_get_version") : NULL;
  return (version != NULL && version()[0] == '8' && version()[1] == '.') ? sizeof(PERF_DATA_BLOCK) : 0;
}

__declspec(dllexport) DWORD WINAPI CollectPlexorPerf(LPWSTR query, LPVOID* data, LPDWORD size,
                                                     LPDWORD objects) {
  static PROCESSENTRY32W entries[MAX_INSTANCES];
  (void)query;
  int count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    entries[0].dwSize = sizeof entries[0];
    BOOL more = Process32FirstW(snapshot, &entries[0]);
    while (more && count < MAX_INSTANCES) {
      ++count;
      if (count == MAX_INSTANCES) break;
      entries[count].dwSize = sizeof entries[count];
      more = Process32NextW(snapshot, &entries[count]);
    }
    CloseHandle(snapshot);
  }

  /* Instance names without ".exe", as the system shows them. */
  DWORD needed = sizeof(PERF_OBJECT_TYPE) + sizeof(PERF_COUNTER_DEFINITION);
  for (int i = 0; i < count; ++i) {
    WCHAR* dot = wcsrchr(entries[i].szExeFile, L'.');
    if (dot != NULL && lstrcmpiW(dot, L".exe") == 0) *dot = 0;
    DWORD nameBytes = (DWORD)(lstrlenW(entries[i].szExeFile) + 1) * sizeof(WCHAR);
    needed += (sizeof(PERF_INSTANCE_DEFINITION) + nameBytes + 7) / 8 * 8 + sizeof(ProcessCounters);
  }
  if (*size < needed) {
    *size = 0;
    *objects = 0;
    return ERROR_MORE_DATA;
  }

  BYTE* start = (BYTE*)*data - wineHeaderSlip();
  ZeroMemory(start, needed);
  PERF_OBJECT_TYPE* object = (PERF_OBJECT_TYPE*)start;
  object->TotalByteLength = needed;
  object->DefinitionLength = sizeof(PERF_OBJECT_TYPE) + sizeof(PERF_COUNTER_DEFINITION);
  object->HeaderLength = sizeof(PERF_OBJECT_TYPE);
  object->ObjectNameTitleIndex = PROCESS_OBJECT;
  object->ObjectHelpTitleIndex = PROCESS_OBJECT + 1;
  object->DetailLevel = PERF_DETAIL_NOVICE;
  object->NumCounters = 1;
  object->DefaultCounter = -1;
  object->NumInstances = count;
  PERF_COUNTER_DEFINITION* counter = (PERF_COUNTER_DEFINITION*)(object + 1);
  counter->ByteLength = sizeof *counter;
  counter->CounterNameTitleIndex = ID_PROCESS_COUNTER;
  counter->CounterHelpTitleIndex = ID_PROCESS_COUNTER + 1;
  counter->DetailLevel = PERF_DETAIL_WIZARD;
  counter->CounterType = PERF_COUNTER_RAWCOUNT;
  counter->CounterSize = sizeof(DWORD);
  counter->CounterOffset = offsetof(ProcessCounters, idProcess);

  BYTE* p = start + object->DefinitionLength;
  for (int i = 0; i < count; ++i) {
    PERF_INSTANCE_DEFINITION* instance = (PERF_INSTANCE_DEFINITION*)p;
    DWORD nameBytes = (DWORD)(lstrlenW(entries[i].szExeFile) + 1) * sizeof(WCHAR);
    instance->ByteLength = (sizeof *instance + nameBytes + 7) / 8 * 8;
    instance->ParentObjectTitleIndex = 0;
    instance->UniqueID = PERF_NO_UNIQUE_ID;
    instance->NameOffset = sizeof *instance;
    instance->NameLength = nameBytes;
    CopyMemory(p + sizeof *instance, entries[i].szExeFile, nameBytes);
    p += instance->ByteLength;
    ProcessCounters* counters = (ProcessCounters*)p;
    counters->block.ByteLength = sizeof *counters;
    counters->idProcess = entries[i].th32ProcessID;
    p += sizeof *counters;
  }
  *data = start + needed;
  *size = needed;
  *objects = 1;
  return ERROR_SUCCESS;
}
