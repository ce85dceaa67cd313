// The framework's entry point. It builds nothing: the application object is a
// static of the program. It names the application after the program file,
// hands over the command-line text, runs the instance start and, when that
// asks for it, a message loop, and ends with ExitInstance's status.
#include <windows.h>

#include <commctrl.h>

#include "update/app/app_name.h"
#include "update/app/command_text.h"
#include "update/run/win_app.h"
#include "update/win32/system_libraries.h"
#include "update/win32/win32_code_page.h"

namespace {

std::string programFilePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

int runMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL by name: none comes from the media folder.
  quillet::restrictDllSearchToSystemFolder();
  quillet::CWinApp* app = quillet::CWinApp::current();
  if (app == nullptr) return 1;

  // Dialog templates use the progress bar of the common controls.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  static const quillet::Win32CodePage codePage;
  app->startFramework(quillet::applicationNameFromPath(programFilePath(), codePage),
                      quillet::commandLineAfterProgramName(GetCommandLineA()));
  if (app->InitInstance() != 0) runMessageLoop();
  return app->ExitInstance();
}
