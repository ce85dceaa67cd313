#include "window_texts.h"

namespace quillet_test {
namespace {

struct ProcessWindows {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK collectDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<ProcessWindows*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) == L"#32770") search->found.push_back(window);
  return TRUE;
}

std::wstring windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

BOOL CALLBACK collectControl(HWND window, LPARAM parameter) {
  auto* shot = reinterpret_cast<DialogSnapshot*>(parameter);
  if (GetParent(window) != shot->window) return TRUE;  // direct children only
  ControlText control;
  control.id = GetDlgCtrlID(window);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  control.className = className;
  control.text = windowText(window);
  control.style = GetWindowLongW(window, GWL_STYLE);
  control.exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  shot->controls.push_back(control);
  return TRUE;
}

}  // namespace

std::wstring DialogSnapshot::textOf(int id) const {
  const ControlText* found = control(id);
  return found != nullptr ? found->text : std::wstring();
}

const ControlText* DialogSnapshot::control(int id) const {
  for (const ControlText& c : controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

std::vector<HWND> dialogsOfProcess(DWORD processId) {
  ProcessWindows search{processId, {}};
  EnumWindows(&collectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DialogSnapshot snapshot(HWND dialog) {
  DialogSnapshot shot;
  shot.window = dialog;
  shot.caption = windowText(dialog);
  GetWindowRect(dialog, &shot.rect);
  EnumChildWindows(dialog, &collectControl, reinterpret_cast<LPARAM>(&shot));
  return shot;
}

HWND waitForDialog(DWORD processId, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    const std::vector<HWND> dialogs = dialogsOfProcess(processId);
    if (!dialogs.empty()) return dialogs.front();
    Sleep(20);
  } while (GetTickCount64() < end);
  return nullptr;
}

bool waitUntilResponding(HWND window, DWORD timeoutMs) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0;
}

void pressButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// What a text needs in the control's font: DrawTextW's extent with these
// flags, broken at wrapWidth when they ask for it.
static SIZE textExtent(HWND control, const std::wstring& text, UINT flags, int wrapWidth) {
  HDC dc = GetDC(control);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ previous = SelectObject(dc, font);
  RECT rect = {0, 0, wrapWidth, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags | DT_CALCRECT);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return SIZE{rect.right, rect.bottom};
}

std::vector<std::string> textsCutShort(HWND dialog) {
  std::vector<std::string> cut;
  RECT inside = {};
  GetClientRect(dialog, &inside);
  for (HWND control = GetWindow(dialog, GW_CHILD); control;
       control = GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = windowText(control);
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const LONG style = GetWindowLongW(control, GWL_STYLE), type = style & BS_TYPEMASK;
    RECT room = {}, placed = {};
    GetClientRect(control, &room);
    SIZE need = {};
    if (text.empty() || !IsWindowVisible(control)) continue;
    if (lstrcmpiW(className, L"Button") == 0 && type <= BS_AUTORADIOBUTTON && type != BS_GROUPBOX &&
        type != BS_USERBUTTON) {
      need = textExtent(control, text, DT_SINGLELINE, 0);
      need.cx += GetSystemMetrics(type <= BS_DEFPUSHBUTTON ? SM_CXEDGE : SM_CXMENUCHECK) *
                 (type <= BS_DEFPUSHBUTTON ? 4 : 1);
    } else if (lstrcmpiW(className, L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT) {
      const UINT flags = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
      need = textExtent(control, text, flags | DT_WORDBREAK, room.right);
      const SIZE asWritten = textExtent(control, text, flags, 0);
      // A line that broke needs its unbroken width (a message box's may break).
      if (GetDlgCtrlID(control) != 0xFFFF && asWritten.cy < need.cy) need.cx = asWritten.cx;
    } else {
      continue;
    }
    GetWindowRect(control, &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    const bool outside = placed.left < 0 || placed.top < 0 || placed.right > inside.right ||
                         placed.bottom > inside.bottom;
    if (need.cx > room.right || need.cy > room.bottom || outside) {
      cut.push_back(std::to_string(GetDlgCtrlID(control)) + ": " + toUtf8(text) + " (needs " +
                    std::to_string(need.cx) + "x" + std::to_string(need.cy) + ", has " +
                    std::to_string(room.right) + "x" + std::to_string(room.bottom) +
                    (outside ? ", outside the dialog)" : ")"));
    }
  }
  return cut;
}

std::string toUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], length,
                      nullptr, nullptr);
  return out;
}

std::wstring fromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], length);
  return out;
}

}  // namespace quillet_test
