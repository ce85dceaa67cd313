#pragma once
// Everything the user sees. Texts are UTF-8; the Win32 adapter shows them
// through the wide-character API so they read correctly on any system.
#include <memory>
#include <string>

namespace quillet {

// The modeless progress dialog: shown on creation, destroyed by destroy() or
// on destruction. The calls map to PBM_SETRANGE, PBM_SETSTEP and PBM_STEPIT.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // PBM_SETRANGE with the parameter as sent: minimum in the low word, maximum
  // in the high word.
  virtual void setRange(unsigned long packedRange) = 0;
  virtual void setStep(int step) = 0;
  virtual void stepIt() = 0;
  virtual void destroy() = 0;
};

class UserInterfacePort {
 public:
  virtual ~UserInterfacePort() = default;
  // The standard message box with an OK button (warning icon, the
  // application name as caption); returns when the user closes it.
  virtual void messageBox(const std::string& utf8Text) = 0;
  // Modal dialogs; each returns the dialog's result (kIdOk = 1, ...).
  virtual int startDialog(const std::string& sourceDir) = 0;
  virtual int versionAbortDialog(const std::string& utf8FirstLine,
                                 const std::string& utf8SecondLine) = 0;
  virtual int adminAbortDialog() = 0;
  virtual int restartDialog(const std::string& utf8ProgramGroupName) = 0;
  virtual int doneDialog(const std::string& utf8ProgramGroupName) = 0;
  // Creates and shows the progress dialog; null when it cannot be created.
  virtual std::unique_ptr<ProgressWindow> createProgressDialog() = 0;
};

}  // namespace quillet
