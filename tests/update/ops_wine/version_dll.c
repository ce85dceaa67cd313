/* A tiny DLL that only carries a version resource, for the placement tests. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}

__declspec(dllexport) int versionProbe(void) { return VERSION_PROBE; }
