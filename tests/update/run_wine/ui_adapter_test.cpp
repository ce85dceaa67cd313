// The user-interface adapter over the real window system: message boxes and
// dialogs are read and answered by a second thread, as a user would.
#include <windows.h>

#include <commctrl.h>

#include <thread>

#include <gtest/gtest.h>

#include "update/app/resource.h"
#include "update/app/win32_user_interface.h"
#include "window_texts.h"

namespace quillet {
namespace {

using quillet_test::DialogSnapshot;
using quillet_test::fromUtf8;

// Waits for the next dialog of this process, records it and presses a button.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(int button) {
    thread_ = std::thread([this, button] {
      HWND dialog = quillet_test::waitForDialog(GetCurrentProcessId(), 10000);
      if (dialog == nullptr) return;
      Sleep(100);
      shot_ = quillet_test::snapshot(dialog);
      found_ = true;
      quillet_test::pressButton(dialog, button);
    });
  }
  ~DialogAnswerer() {
    if (thread_.joinable()) thread_.join();
  }
  const DialogSnapshot& wait() {
    thread_.join();
    return shot_;
  }
  bool found() const { return found_; }

 private:
  std::thread thread_;
  DialogSnapshot shot_;
  bool found_ = false;
};

class UiAdapter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
  }
  Win32UserInterface ui;
};

TEST_F(UiAdapter, MessageBoxShowsTheUtf8TextWithWarningIconAndProgramCaption) {
  DialogAnswerer answerer(IDOK);
  ui.messageBox("スクリプトファイルが見つかりません。");
  const DialogSnapshot& shot = answerer.wait();
  ASSERT_TRUE(answerer.found());
  EXPECT_EQ(shot.caption, L"quillet_ui_adapter_test");
  EXPECT_EQ(shot.textOf(0xFFFF), L"スクリプトファイルが見つかりません。");
  const quillet_test::ControlText* icon = nullptr;
  int buttons = 0;
  for (const auto& control : shot.controls) {
    if (control.className == L"Static" && (control.style & SS_ICON) == SS_ICON) icon = &control;
    if (control.className == L"Button") ++buttons;
  }
  EXPECT_NE(icon, nullptr) << "a message box with an icon";
  EXPECT_EQ(buttons, 1) << "only the OK button";
}

TEST_F(UiAdapter, AdminAbortDialogShowsItsTemplateAndEndsWithOk) {
  DialogAnswerer answerer(IDOK);
  EXPECT_EQ(ui.adminAbortDialog(), IDOK);
  const DialogSnapshot& shot = answerer.wait();
  EXPECT_EQ(shot.caption, L"インストールの中止");
  EXPECT_EQ(shot.textOf(-1),
            L"Administratorユーザーで実行してください。\nインストールを中止します。");
  EXPECT_EQ(shot.textOf(IDOK), L"OK");
}

TEST_F(UiAdapter, VersionAbortDialogShowsBothLines) {
  DialogAnswerer answerer(IDOK);
  EXPECT_EQ(ui.versionAbortDialog("お使いのプレクスのバージョンは 3.00 です。",
                                  "このアップデータは 3.01 以上用です。"),
            IDOK);
  const DialogSnapshot& shot = answerer.wait();
  EXPECT_EQ(shot.caption, L"インストールの中止");
  EXPECT_EQ(shot.textOf(IDC_VERSION_FIRST_LINE), L"お使いのプレクスのバージョンは 3.00 です。");
  EXPECT_EQ(shot.textOf(IDC_VERSION_SECOND_LINE), L"このアップデータは 3.01 以上用です。");
  EXPECT_EQ(shot.textOf(-1), L"インストールを中止します。");
}

TEST_F(UiAdapter, DoneDialogFormatsStringOneWithTheProductName) {
  DialogAnswerer answerer(IDOK);
  EXPECT_EQ(ui.doneDialog("プレクス%d"), IDOK);
  const DialogSnapshot& shot = answerer.wait();
  EXPECT_EQ(shot.caption, L"インストール完了");
  EXPECT_EQ(shot.textOf(IDC_DONE_TEXT), L"プレクス%dのアップデートは正常に終了しました。");
}

TEST_F(UiAdapter, EscapeEndsAModalDialogWithCancel) {
  DialogAnswerer answerer(IDCANCEL);
  EXPECT_EQ(ui.doneDialog("Plexor"), IDCANCEL);
}

TEST_F(UiAdapter, DialogsNotBuiltYetSaySoAndNeverConfirm) {
  {
    DialogAnswerer answerer(IDOK);
    EXPECT_EQ(ui.startDialog("C:\\media"), IDCANCEL);
    const DialogSnapshot& shot = answerer.wait();
    EXPECT_NE(shot.textOf(0xFFFF).find(L"StartDialog"), std::wstring::npos);
  }
  {
    DialogAnswerer answerer(IDOK);
    EXPECT_NE(ui.restartDialog("Plexor"), IDOK);
    const DialogSnapshot& shot = answerer.wait();
    EXPECT_NE(shot.textOf(0xFFFF).find(L"RestartDialog"), std::wstring::npos);
  }
}

TEST_F(UiAdapter, ProgressDialogIsShownSteppedAndDestroyed) {
  std::unique_ptr<ProgressWindow> progress = ui.createProgressDialog();
  ASSERT_NE(progress, nullptr);
  const std::vector<HWND> dialogs = quillet_test::dialogsOfProcess(GetCurrentProcessId());
  ASSERT_EQ(dialogs.size(), 1u);
  HWND window = dialogs.front();
  const DialogSnapshot shot = quillet_test::snapshot(window);
  EXPECT_EQ(shot.caption, L"アップデート中．．．");
  EXPECT_EQ(shot.textOf(-1), L"ファイルのコピーを行っています。\nしばらくお待ち下さい。");
  const quillet_test::ControlText* bar = shot.control(IDC_PROGRESS_BAR);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(std::wstring(bar->className).size(), 17u);
  EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, bar->className.c_str(), -1,
                           L"msctls_progress32", -1),
            CSTR_EQUAL);
  EXPECT_TRUE(bar->style & PBS_SMOOTH);
  // (Its border is checked on the template: the bar takes WS_BORDER off itself.)
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION);

  HWND barWindow = GetDlgItem(window, IDC_PROGRESS_BAR);
  progress->setRange(static_cast<unsigned long>(9) << 16);
  progress->setStep(1);
  for (int i = 0; i < 3; ++i) progress->stepIt();
  EXPECT_EQ(SendMessageW(barWindow, PBM_GETPOS, 0, 0), 3);
  EXPECT_EQ(SendMessageW(barWindow, PBM_GETRANGE, FALSE, 0), 9);
  EXPECT_EQ(SendMessageW(barWindow, PBM_GETRANGE, TRUE, 0), 0);

  progress->destroy();
  EXPECT_FALSE(IsWindow(window));
  progress->stepIt();   // a destroyed window takes no more calls
  progress->destroy();  // and is destroyed only once
  progress.reset();
  EXPECT_TRUE(quillet_test::dialogsOfProcess(GetCurrentProcessId()).empty());
}

TEST_F(UiAdapter, ProgressWindowDroppedWithoutDestroyClosesTheDialog) {
  std::unique_ptr<ProgressWindow> progress = ui.createProgressDialog();
  ASSERT_NE(progress, nullptr);
  ASSERT_EQ(quillet_test::dialogsOfProcess(GetCurrentProcessId()).size(), 1u);
  progress.reset();
  EXPECT_TRUE(quillet_test::dialogsOfProcess(GetCurrentProcessId()).empty());
}

}  // namespace
}  // namespace quillet
