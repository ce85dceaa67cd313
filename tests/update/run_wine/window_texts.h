#pragma once
// Reading and closing the dialogs of another program (or of this one) the way
// a user would see them: caption and control texts, then a button.
#include <windows.h>

#include <string>
#include <vector>

namespace quillet_test {

struct ControlText {
  int id = 0;
  std::wstring className;
  std::wstring text;
  LONG style = 0;
  LONG exStyle = 0;
};

struct DialogSnapshot {
  HWND window = nullptr;
  std::wstring caption;
  RECT rect = {};                      // on the screen
  std::vector<ControlText> controls;  // in child order

  // Text of the control with this id (empty when there is none).
  std::wstring textOf(int id) const;
  const ControlText* control(int id) const;
};

// Visible dialog-class (#32770) top-level windows of the process.
std::vector<HWND> dialogsOfProcess(DWORD processId);
DialogSnapshot snapshot(HWND dialog);
// Waits up to timeoutMs for a visible dialog of the process; null on timeout.
HWND waitForDialog(DWORD processId, DWORD timeoutMs);
// Waits up to timeoutMs until the window's thread answers a message, i.e. it
// has set up the dialog and runs its message loop; false on timeout.
bool waitUntilResponding(HWND window, DWORD timeoutMs);
// Presses the button as a click does (the dialog's own command).
void pressButton(HWND dialog, int id);
// The texts of the dialog that their controls cut short, measured in each
// control's own font against its client area (less the push button's
// frame, the check box), one line each: "id: text (needs WxH, has WxH)".
// A static must show its lines as written, unbroken, except a message
// box's text, which the system wraps at a width of its own choosing; and
// every control must lie inside the dialog.
std::vector<std::string> textsCutShort(HWND dialog);

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

}  // namespace quillet_test
