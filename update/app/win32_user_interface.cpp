#include "update/app/win32_user_interface.h"

#include <windows.h>

#include <commctrl.h>

#include "update/app/dialogs.h"
#include "update/win32/win32_code_page.h"

namespace quillet {
namespace {

// Lets the window system paint and handle the input that piled up while the
// update blocked the thread, so that the progress dialog stays drawn.
void pumpPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

class Win32ProgressWindow : public ProgressWindow {
 public:
  explicit Win32ProgressWindow(ProgressDialog* dialog) : dialog_(dialog) {}
  ~Win32ProgressWindow() override { destroy(); }

  void setRange(unsigned long packedRange) override {
    send(PBM_SETRANGE, 0, static_cast<LPARAM>(packedRange));
  }
  void setStep(int step) override { send(PBM_SETSTEP, static_cast<WPARAM>(step), 0); }
  void stepIt() override { send(PBM_STEPIT, 0, 0); }
  void destroy() override {
    if (dialog_ == nullptr) return;
    ProgressDialog* dialog = dialog_;
    dialog_ = nullptr;  // the dialog deletes itself with its window
    dialog->DestroyWindow();
  }

 private:
  void send(UINT message, WPARAM wParam, LPARAM lParam) {
    if (dialog_ == nullptr) return;
    dialog_->m_progress.SendMessage(message, wParam, lParam);
    pumpPendingMessages();
  }
  ProgressDialog* dialog_;
};

}  // namespace

void Win32UserInterface::messageBox(const std::string& utf8Text) {
  frameworkMessageBox(utf8Text);
}

int Win32UserInterface::startDialog(const std::string& sourceDir) {
  StartDialog dialog;
  dialog.sourceDir = sourceDir;
  return static_cast<int>(dialog.DoModal());
}

int Win32UserInterface::versionAbortDialog(const std::string& utf8FirstLine,
                                           const std::string& utf8SecondLine) {
  VersionAbortDialog dialog;
  dialog.firstLine = utf8FirstLine;
  dialog.secondLine = utf8SecondLine;
  return static_cast<int>(dialog.DoModal());
}

int Win32UserInterface::adminAbortDialog() {
  AdminAbortDialog dialog;
  return static_cast<int>(dialog.DoModal());
}

int Win32UserInterface::restartDialog(const std::string& utf8ProgramGroupName) {
  RestartDialog dialog(restart_);
  dialog.programGroupName = utf8ProgramGroupName;
  return static_cast<int>(dialog.DoModal());
}

int Win32UserInterface::doneDialog(const std::string& utf8ProgramGroupName) {
  DoneDialog dialog;
  dialog.programGroupName = utf8ProgramGroupName;
  return static_cast<int>(dialog.DoModal());
}

std::unique_ptr<ProgressWindow> Win32UserInterface::createProgressDialog() {
  auto* dialog = new ProgressDialog;
  if (!dialog->Create()) {
    delete dialog;  // no window was made, so nothing deletes it
    return nullptr;
  }
  dialog->ShowWindow(SW_SHOW);
  pumpPendingMessages();
  return std::make_unique<Win32ProgressWindow>(dialog);
}

}  // namespace quillet
