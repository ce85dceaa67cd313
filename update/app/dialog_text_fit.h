#pragma once
// Makes room in a dialog for the texts its controls really show: each
// static, push button, radio button and check box text is measured in the
// control's own font (WM_GETFONT), and the controls and the dialog grow
// where a text needs more (update/run/dialog_layout.h). Win32 only.
#include <windows.h>

namespace quillet {

// Fits every text of the dialog; true when the dialog's own size changed
// (the caller then places it again on the screen). Where every text fits,
// nothing moves.
bool fitDialogToTexts(HWND dialog);

}  // namespace quillet
