#pragma once
// The dialog layer of the framework: windows over dialog templates from the
// program's resources, modal (DoModal) or modeless (Create/DestroyWindow),
// with the handlers a dialog class overrides. Win32 only.
#include <windows.h>

#include <string>

namespace quillet {

// A window's text, through the wide-character API.
std::wstring windowTextWide(HWND window);

// A child window bound to a control of a dialog.
class CWnd {
 public:
  virtual ~CWnd() = default;
  HWND GetSafeHwnd() const { return m_hWnd; }
  // Texts given as UTF-8 are shown through the wide-character API. A
  // control of a dialog makes room for its new text (CDialog::FitToTexts).
  void SetWindowTextUtf8(const std::string& utf8) const;
  void SetWindowTextWide(const std::wstring& text) const;
  std::wstring GetWindowTextWide() const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }

  HWND m_hWnd = nullptr;
};

class CStatic : public CWnd {};
class CEdit : public CWnd {};
class CButton : public CWnd {};
class CProgressCtrl : public CWnd {};

class CDialog : public CWnd {
 public:
  // No parent window: every dialog of the tool stands alone.
  explicit CDialog(UINT templateId) : templateId_(templateId) {}
  ~CDialog() override;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally; its result (IDOK, IDCANCEL, ...), or -1 when the
  // template could not be made into a window.
  INT_PTR DoModal();
  // Creates the dialog modeless; false when the window could not be created.
  bool Create(UINT templateId);
  virtual BOOL DestroyWindow();
  void EndDialog(int result);
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  UINT templateId() const { return templateId_; }
  // Grows the controls whose texts do not fit, and the dialog with them,
  // keeping it in the middle of the screen; done when the dialog starts and
  // whenever a control's text is set. Where every text fits, nothing moves.
  void FitToTexts();
  // The dialog object of a window of this framework, or null.
  static CDialog* FromHandle(HWND window);

 protected:
  // Binds the member controls to their ids; called by the base OnInitDialog.
  virtual void DoDataExchange() {}
  virtual BOOL OnInitDialog();
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Called when the window is gone (both modal and modeless).
  virtual void PostNcDestroy() {}
  // Any other message; true when the dialog handled it (*result then is the
  // dialog procedure's answer).
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);

  void DDX_Control(int id, CWnd& control) const { control.m_hWnd = GetDlgItem(id); }

 private:
  static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam);
  UINT templateId_;
  bool modal_ = false;
};

// The framework's standard message box: OK button, warning icon, the
// application's name as caption; the text is UTF-8.
void frameworkMessageBox(const std::string& utf8Text);
// That caption: the application's name, or the program file's name when no
// application object exists.
std::wstring messageBoxCaption();

// The module whose resources hold the dialog templates and strings.
HINSTANCE resourceInstance();
// A string of the string table (empty when missing).
std::wstring loadResourceString(UINT id);

}  // namespace quillet
