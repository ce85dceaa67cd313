#pragma once
// The user-interface port over the program's dialogs and the standard
// message box. Win32 only; the dialog templates must be linked into the
// program (quillet.rc).
#include "update/ports/ui_port.h"

namespace quillet {

class Win32UserInterface : public UserInterfacePort {
 public:
  void messageBox(const std::string& utf8Text) override;
  int startDialog(const std::string& sourceDir) override;
  int versionAbortDialog(const std::string& utf8FirstLine,
                         const std::string& utf8SecondLine) override;
  int adminAbortDialog() override;
  int restartDialog(const std::string& utf8ProgramGroupName) override;
  int doneDialog(const std::string& utf8ProgramGroupName) override;
  std::unique_ptr<ProgressWindow> createProgressDialog() override;
};

}  // namespace quillet
