// Shows each of Quillet's dialogs in turn, as an operator sees them, so that
// a script can take its picture:
//
//   dialog-pictures FOLDER
//
// FOLDER holds the start picture title.bmp. For each dialog, once it is up
// and answers, the program writes FOLDER\NAME.rect ("left top right bottom",
// screen pixels) and waits for FOLDER\NAME.taken (at most a minute) before it
// closes the dialog and shows the next one. Ends with 0 when every dialog
// was shown.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <fstream>
#include <functional>
#include <string>

#include "update/app/win32_user_interface.h"
#include "update/run/run_messages.h"
#include "update/win32/win32_code_page.h"

namespace {

constexpr DWORD kWaitLimit = 60000;

std::wstring folder;

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct DialogSearch {
  HWND except;
  HWND found;
};

BOOL CALLBACK findVisibleDialog(HWND window, LPARAM parameter) {
  auto* s = reinterpret_cast<DialogSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner == GetCurrentProcessId() && window != s->except && IsWindowVisible(window) &&
      lstrcmpW(className, L"#32770") == 0) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

// The process's visible dialog other than `except`, or null.
HWND visibleDialog(HWND except) {
  DialogSearch search{except, nullptr};
  EnumWindows(findVisibleDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// True until `limit` milliseconds have passed since `start` (GetTickCount
// wraps after 49 days; the difference does not).
bool within(DWORD start, DWORD limit) { return GetTickCount() - start < limit; }

// Tells the script where the dialog is and waits until it has its picture.
bool hold(HWND dialog, const std::wstring& name) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
  RECT rect = {};
  GetWindowRect(dialog, &rect);
  const std::wstring taken = folder + L"\\" + name + L".taken";
  DeleteFileW(taken.c_str());
  {
    std::ofstream out(quillet::wideToUtf8(folder + L"\\" + name + L".rect"));
    out << rect.left << ' ' << rect.top << ' ' << rect.right << ' ' << rect.bottom << '\n';
  }
  const DWORD start = GetTickCount();
  while (!exists(taken) && within(start, kWaitLimit)) {
    MSG message;  // a modeless dialog of this thread still paints
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(50);
  }
  return exists(taken);
}

// What the holding thread needs: the dialog's name, the button that closes
// it, and whether the picture was taken.
struct HoldRequest {
  const std::wstring* name;
  int button;
  bool held;
};

DWORD WINAPI holdThenClose(void* parameter) {
  auto* request = static_cast<HoldRequest*>(parameter);
  const DWORD start = GetTickCount();
  HWND dialog = nullptr;
  while ((dialog = visibleDialog(nullptr)) == nullptr && within(start, kWaitLimit)) Sleep(20);
  if (dialog == nullptr) return 0;
  request->held = hold(dialog, *request->name);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(request->button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, request->button)));
  return 0;
}

// Shows a modal dialog (or message box); a second thread holds it for its
// picture and then closes it with the button.
bool showModal(const std::wstring& name, int button, const std::function<void()>& show) {
  HoldRequest request{&name, button, false};
  HANDLE user = CreateThread(nullptr, 0, holdThenClose, &request, 0, nullptr);
  if (user == nullptr) return false;
  show();
  WaitForSingleObject(user, INFINITE);
  CloseHandle(user);
  return request.held;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count < 2) return 2;
  folder = arguments[1];
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  // Never restarts this machine: the restart dialog is closed with Esc.
  quillet::Win32UserInterface ui([] { return 0; });
  // The start dialog takes an ANSI folder: the script's folder is plain ASCII.
  const std::string source = quillet::wideToUtf8(folder);
  bool all = showModal(L"start", IDCANCEL, [&] { ui.startDialog(source); });
  if (std::unique_ptr<quillet::ProgressWindow> progress = ui.createProgressDialog()) {
    progress->setRange(10ul << 16);
    progress->setStep(1);
    for (int i = 0; i < 4; ++i) progress->stepIt();
    all &= hold(visibleDialog(nullptr), L"progress");
  } else {
    all = false;
  }
  all &= showModal(L"restart", IDCANCEL, [&] { ui.restartDialog("Plexor"); });
  all &= showModal(L"completion", IDOK, [&] { ui.doneDialog("Plexor"); });
  all &= showModal(L"version-refused", IDOK, [&] {
    ui.versionAbortDialog("お使いのPlexorのバージョンは 3.00 です。",
                          "このアップデータは 3.05 以上用です。");
  });
  all &= showModal(L"administrator-refused", IDOK, [&] { ui.adminAbortDialog(); });
  all &= showModal(L"copy-failed", IDOK, [&] { ui.messageBox(quillet::kMsgCopyFailed); });
  return all ? 0 : 1;
}
