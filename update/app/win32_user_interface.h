#pragma once
// The user-interface port over the program's dialogs and the standard
// message box. Win32 only; the dialog templates must be linked into the
// program (quillet.rc).
#include <functional>

#include "update/ports/ui_port.h"
#include "update/app/restart_computer.h"

namespace quillet {

class Win32UserInterface : public UserInterfacePort {
 public:
  // restart: the restart request of the restart dialog (restartComputer in
  // the program; tests pass their own).
  explicit Win32UserInterface(std::function<int()> restart = restartComputer)
      : restart_(std::move(restart)) {}

  void messageBox(const std::string& utf8Text) override;
  int startDialog(const std::string& sourceDir) override;
  int versionAbortDialog(const std::string& utf8FirstLine,
                         const std::string& utf8SecondLine) override;
  int adminAbortDialog() override;
  int restartDialog(const std::string& utf8ProgramGroupName) override;
  int doneDialog(const std::string& utf8ProgramGroupName) override;
  std::unique_ptr<ProgressWindow> createProgressDialog() override;

 private:
  std::function<int()> restart_;
};

}  // namespace quillet
