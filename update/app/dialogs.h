#pragma once
// The update tool's dialogs over the templates of quillet.rc.
#include <functional>
#include <string>

#include "update/app/dialog.h"
#include "update/app/resource.h"
#include "update/run/title_picture.h"

namespace quillet {

// Asks the operator to start the update, over the title picture
// "title.bmp" of the update media, stretched to the whole dialog.
class StartDialog : public CDialog {
 public:
  StartDialog() : CDialog(IDD_START_DIALOG) {}

  std::string sourceDir;  // ANSI; the folder that holds title.bmp
  CStatic m_picture;      // control 1009
  CEdit m_edit;           // control 1008
  TitlePicture titlePicture;

 protected:
  void DoDataExchange() override {
    DDX_Control(IDC_START_PICTURE, m_picture);
    DDX_Control(IDC_START_EDIT, m_edit);
  }
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  void loadTitlePicture();
  void paint();
};

// Modeless: created on the heap, shown while the update runs, destroyed with
// DestroyWindow, after which it deletes itself.
class ProgressDialog : public CDialog {
 public:
  ProgressDialog() : CDialog(IDD_PROGRESS_DIALOG) {}
  bool Create() { return CDialog::Create(IDD_PROGRESS_DIALOG); }

  CProgressCtrl m_progress;  // control 1000

 protected:
  void DoDataExchange() override { DDX_Control(IDC_PROGRESS_BAR, m_progress); }
  // Esc or Alt+F4 must not hide the bar while the update runs.
  void OnCancel() override {}
  void OnOK() override {}
  void PostNcDestroy() override { delete this; }
};

// Completion with a restart: the restart choice is selected at start, and
// the button restarts the computer when it still is.
class RestartDialog : public CDialog {
 public:
  // restart: the restart request; 0 when the system accepted it.
  explicit RestartDialog(std::function<int()> restart)
      : CDialog(IDD_RESTART_DIALOG), restart_(std::move(restart)) {}

  std::string programGroupName;  // UTF-8
  CStatic m_message;             // control 1011

 protected:
  void DoDataExchange() override { DDX_Control(IDC_RESTART_TEXT, m_message); }
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::function<int()> restart_;
};

class AdminAbortDialog : public CDialog {
 public:
  AdminAbortDialog() : CDialog(IDD_ADMIN_ABORT_DIALOG) {}
};

class VersionAbortDialog : public CDialog {
 public:
  VersionAbortDialog() : CDialog(IDD_VERSION_ABORT_DIALOG) {}

  std::string firstLine;   // UTF-8, as composed by the version test
  std::string secondLine;
  CStatic m_firstLine;     // control 1013
  CStatic m_secondLine;    // control 1014

 protected:
  void DoDataExchange() override {
    DDX_Control(IDC_VERSION_SECOND_LINE, m_secondLine);
    DDX_Control(IDC_VERSION_FIRST_LINE, m_firstLine);
  }
  BOOL OnInitDialog() override;
};

class DoneDialog : public CDialog {
 public:
  DoneDialog() : CDialog(IDD_DONE_DIALOG) {}

  std::string programGroupName;  // UTF-8
  CStatic m_message;             // control 1012

 protected:
  void DoDataExchange() override { DDX_Control(IDC_DONE_TEXT, m_message); }
  BOOL OnInitDialog() override;
};

// A string of the string table with its single %s replaced by the name
// (the name is inserted literally, never interpreted as a format).
std::wstring formatResourceString(UINT id, const std::wstring& name);

}  // namespace quillet
