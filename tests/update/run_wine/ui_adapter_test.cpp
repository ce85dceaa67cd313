// The user-interface adapter over the real window system: message boxes and
// dialogs are read and answered by a second thread, as a user would.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "update/app/dialogs.h"
#include "update/app/resource.h"
#include "update/app/win32_user_interface.h"
#include "update/run/media_messages.h"
#include "update/run/run_messages.h"
#include "window_texts.h"

namespace quillet {
namespace {

using quillet_test::DialogSnapshot;
using quillet_test::fromUtf8;
using ::testing::PrintToString;

// Bounds of the waits below: generous, since a machine busy with other Wine
// programs, X servers and compilers can delay a dialog by seconds; a passing
// test never waits them out.
constexpr DWORD kDialogAppears = 20000;
constexpr ULONGLONG kDialogEnds = 15000;
constexpr ULONGLONG kScreenShows = 15000;

// After an answer: waits until the dialog has ended (an ended dialog is
// hidden at once and destroyed a little later). One that is still shown
// long after the answer ignored it: it is ended from here, past its
// handlers, so that the test fails instead of waiting for ever.
bool endedAfterAnswer(HWND dialog) {
  const ULONGLONG end = GetTickCount64() + kDialogEnds;
  while (GetTickCount64() < end) {
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return true;
    Sleep(20);
  }
  EndDialog(dialog, IDABORT);
  return false;
}

// Waits for the next dialog of this process, records it and presses a button.
class DialogAnswerer {
 public:
  // first: what the user does before the answer, if anything.
  explicit DialogAnswerer(int button, std::function<void(HWND)> first = nullptr) {
    thread_ = std::thread([this, button, first] {
      HWND dialog = quillet_test::waitForDialog(GetCurrentProcessId(), kDialogAppears);
      if (dialog == nullptr) return;
      quillet_test::waitUntilResponding(dialog, kDialogAppears);
      if (first) first(dialog);
      shot_ = quillet_test::snapshot(dialog);
      cutShort_ = quillet_test::textsCutShort(dialog);
      found_ = true;
      quillet_test::pressButton(dialog, button);
      ended_ = endedAfterAnswer(dialog);
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
  bool ended() const { return ended_; }
  const std::vector<std::string>& cutShort() const { return cutShort_; }

 private:
  std::thread thread_;
  DialogSnapshot shot_;
  std::vector<std::string> cutShort_;
  bool found_ = false;
  bool ended_ = false;
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
  EXPECT_TRUE(answerer.ended());
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
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR((shot.rect.left + shot.rect.right) / 2, (area.left + area.right) / 2, 1)
      << "dialogs appear in the middle of the screen";
  EXPECT_NEAR((shot.rect.top + shot.rect.bottom) / 2, (area.top + area.bottom) / 2, 1);
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
  answerer.wait();
  EXPECT_TRUE(answerer.ended());
}

// Plays the restart dialog: records it, optionally picks "do not restart",
// presses a button (or its close box, or the Esc key), then answers and
// records a message box that follows.
constexpr int kCloseBox = -100;
constexpr int kEscapeKey = -101;

class RestartDialogPlayer {
 public:
  RestartDialogPlayer(bool chooseNoRestart, int button) {
    thread_ = std::thread([this, chooseNoRestart, button] {
      HWND dialog = quillet_test::waitForDialog(GetCurrentProcessId(), kDialogAppears);
      if (dialog == nullptr) return;
      quillet_test::waitUntilResponding(dialog, kDialogAppears);
      shot_ = quillet_test::snapshot(dialog);
      yesChecked_ = IsDlgButtonChecked(dialog, IDC_RESTART_YES) == BST_CHECKED;
      noChecked_ = IsDlgButtonChecked(dialog, IDC_RESTART_NO) == BST_CHECKED;
      if (chooseNoRestart) {
        SendMessageW(GetDlgItem(dialog, IDC_RESTART_NO), BM_CLICK, 0, 0);
      }
      if (button == kCloseBox) {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (button == kEscapeKey) {
        // The key itself, through the dialog's own keyboard handling.
        PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
      } else {
        quillet_test::pressButton(dialog, button);
      }
      const ULONGLONG end = GetTickCount64() + kDialogEnds;
      while (GetTickCount64() < end) {
        for (HWND w : quillet_test::dialogsOfProcess(GetCurrentProcessId())) {
          if (w == dialog) continue;
          quillet_test::waitUntilResponding(w, kDialogAppears);
          message_ = quillet_test::snapshot(w).textOf(0xFFFF);
          quillet_test::pressButton(w, IDOK);
          return;
        }
        // An ended dialog is hidden at once (it is destroyed a little later).
        if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return;
        Sleep(20);
      }
      stuck_ = !endedAfterAnswer(dialog);
    });
  }
  ~RestartDialogPlayer() {
    if (thread_.joinable()) thread_.join();
  }
  void wait() { thread_.join(); }

  DialogSnapshot shot_;
  bool yesChecked_ = false;
  bool noChecked_ = false;
  std::wstring message_;
  bool stuck_ = false;  // the dialog stayed open after the answer

 private:
  std::thread thread_;
};

class RestartDialogTest : public UiAdapter {
 protected:
  int restarts = 0;
  int restartResult = 0;
  Win32UserInterface restartingUi{[this] {
    ++restarts;
    return restartResult;
  }};
};

TEST_F(RestartDialogTest, OpensWithRestartSelectedAndTheProductTexts) {
  RestartDialogPlayer player(false, IDOK);
  EXPECT_EQ(restartingUi.restartDialog("プレクス"), IDOK);
  player.wait();
  EXPECT_FALSE(player.stuck_);
  EXPECT_EQ(player.shot_.caption, L"インストール完了");
  EXPECT_TRUE(player.yesChecked_);
  EXPECT_FALSE(player.noChecked_);
  EXPECT_EQ(player.shot_.textOf(IDC_RESTART_TEXT),
            L"プレクスのアップデートは正常に終了しました。\n"
            L"プレクスを使用する場合には、コンピュータを再起動する必要があります。");
  EXPECT_EQ(player.shot_.textOf(IDOK), L"終了");
  EXPECT_EQ(restarts, 1) << "OK with the restart choice requests the restart";
  EXPECT_TRUE(player.message_.empty());
}

TEST_F(RestartDialogTest, NoRestartChoiceDoesNotRestart) {
  RestartDialogPlayer player(true, IDOK);
  EXPECT_EQ(restartingUi.restartDialog("Plexor"), IDOK);
  player.wait();
  EXPECT_FALSE(player.stuck_);
  EXPECT_EQ(restarts, 0);
}

TEST_F(RestartDialogTest, EscapeEndsWithoutRestartWhateverIsSelected) {
  RestartDialogPlayer player(false, IDCANCEL);
  EXPECT_EQ(restartingUi.restartDialog("Plexor"), IDCANCEL);
  player.wait();
  EXPECT_FALSE(player.stuck_);
  EXPECT_EQ(restarts, 0);
}

TEST_F(RestartDialogTest, CloseBoxEndsWithoutRestartWhateverIsSelected) {
  for (bool chooseNoRestart : {false, true}) {
    restarts = 0;
    RestartDialogPlayer player(chooseNoRestart, kCloseBox);
    EXPECT_EQ(restartingUi.restartDialog("Plexor"), IDCANCEL) << chooseNoRestart;
    player.wait();
    EXPECT_FALSE(player.stuck_) << chooseNoRestart;
    EXPECT_EQ(restarts, 0) << chooseNoRestart;
    EXPECT_TRUE(player.message_.empty());
  }
}

TEST_F(RestartDialogTest, EscapeKeyEndsWithoutRestart) {
  RestartDialogPlayer player(false, kEscapeKey);
  EXPECT_EQ(restartingUi.restartDialog("Plexor"), IDCANCEL);
  player.wait();
  EXPECT_FALSE(player.stuck_);
  EXPECT_EQ(restarts, 0);
}

TEST_F(RestartDialogTest, RefusedRestartIsShownWithItsCode) {
  restartResult = -3;
  RestartDialogPlayer player(false, IDOK);
  EXPECT_EQ(restartingUi.restartDialog("Plexor"), IDOK);
  player.wait();
  EXPECT_FALSE(player.stuck_);
  EXPECT_EQ(restarts, 1);
  EXPECT_EQ(player.message_, L"コンピュータが再起動できません。(-3)");
}

TEST(RestartRequest, AcceptedByTheSystemUnderWine) {
  // Only where the request cannot shut anything down: Wine's is a stub.
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
    GTEST_SKIP() << "not under Wine: the request would restart this machine";
  }
  EXPECT_EQ(restartComputer(), kRestartRequested);
}

// A bitmap file of one colour: 8 bits per pixel with a 256-entry table whose
// entry 1 is the colour, or 24 bits per pixel.
std::string solidBitmap(int width, int height, int bits, COLORREF colour) {
  const int stride = (width * bits + 31) / 32 * 4;
  const int table = bits == 8 ? 1024 : 0;
  const int offset = 14 + 40 + table;
  std::string file(static_cast<std::size_t>(offset + stride * height), '\0');
  auto put32 = [&file](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, static_cast<std::uint32_t>(offset));
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = static_cast<char>(bits);
  const char blue = static_cast<char>(GetBValue(colour));
  const char green = static_cast<char>(GetGValue(colour));
  const char red = static_cast<char>(GetRValue(colour));
  if (bits == 8) {
    file[54 + 4] = blue;
    file[54 + 5] = green;
    file[54 + 6] = red;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int at = offset + y * stride + x * (bits / 8);
      if (bits == 8) {
        file[at] = 1;
      } else {
        file[at] = blue;
        file[at + 1] = green;
        file[at + 2] = red;
      }
    }
  }
  return file;
}

// A fresh folder below the temporary folder, with or without title.bmp.
std::string mediaFolder(const char* name, const std::string& picture) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\title.bmp";
  DeleteFileA(path.c_str());
  if (!picture.empty()) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, picture.data(), static_cast<DWORD>(picture.size()), &written, nullptr);
    CloseHandle(file);
  }
  return folder;
}

// What the screen shows of the start dialog, read before a button is pressed.
struct StartDialogView {
  bool found = false;
  std::wstring message;  // a message box shown before the dialog, if any
  COLORREF pictureCorner = CLR_INVALID;
  COLORREF pictureCentre = CLR_INVALID;
  COLORREF okButton = CLR_INVALID;
  bool editVisible = true;
  bool ended = false;  // the pressed button ended the dialog
  DialogSnapshot shot;
};

COLORREF screenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF pixel = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return pixel;
}

// The static control's "black" rectangle: the window-frame or dark-shadow
// colour of the scheme (black on Windows, dark grey in Wine's default one).
bool isBlackRectangleColour(COLORREF pixel) {
  return pixel == GetSysColor(COLOR_WINDOWFRAME) || pixel == GetSysColor(COLOR_3DDKSHADOW);
}

// Reads the picture's and the OK button's pixels from the screen.
void readScreen(HWND dialog, StartDialogView* view) {
  RECT picture;
  GetWindowRect(GetDlgItem(dialog, IDC_START_PICTURE), &picture);
  view->pictureCorner = screenPixel(picture.left + 3, picture.top + 3);
  view->pictureCentre =
      screenPixel((picture.left + picture.right) / 2, (picture.top + picture.bottom) / 3);
  RECT ok;
  GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
  view->okButton = screenPixel((ok.left + ok.right) / 2, ok.top + 2);
}

// What the test expects the screen to show once the dialog is drawn.
using ScreenShows = bool (*)(const StartDialogView&);

bool showsTheBlackArea(const StartDialogView& view) {
  return isBlackRectangleColour(view.pictureCentre);
}

class StartDialogViewer {
 public:
  StartDialogViewer(int button, ScreenShows drawn) {
    thread_ = std::thread([this, button, drawn] {
      HWND dialog = quillet_test::waitForDialog(GetCurrentProcessId(), kDialogAppears);
      if (dialog != nullptr && GetDlgItem(dialog, IDC_START_PICTURE) == nullptr) {
        view_.message = quillet_test::snapshot(dialog).textOf(0xFFFF);  // the message box
        quillet_test::pressButton(dialog, IDOK);
        const ULONGLONG end = GetTickCount64() + kDialogAppears;
        do {
          Sleep(50);
          dialog = nullptr;
          for (HWND w : quillet_test::dialogsOfProcess(GetCurrentProcessId())) {
            if (GetDlgItem(w, IDC_START_PICTURE) != nullptr) dialog = w;
          }
        } while (dialog == nullptr && GetTickCount64() < end);
      }
      if (dialog == nullptr) return;
      view_.found = true;
      view_.shot = quillet_test::snapshot(dialog);
      view_.editVisible = IsWindowVisible(GetDlgItem(dialog, IDC_START_EDIT)) != 0;
      // The dialog paints in its own thread and the X server shows it later,
      // much later on a busy machine: read the screen until it shows what the
      // test expects. A screen that never does is read once more at the
      // bound, and the test's checks report what it showed.
      const ULONGLONG end = GetTickCount64() + kScreenShows;
      for (;;) {
        readScreen(dialog, &view_);
        if (drawn(view_) || GetTickCount64() >= end) break;
        Sleep(50);
      }
      quillet_test::pressButton(dialog, button);
      view_.ended = endedAfterAnswer(dialog);
    });
  }
  ~StartDialogViewer() {
    if (thread_.joinable()) thread_.join();
  }
  const StartDialogView& wait() {
    thread_.join();
    return view_;
  }

 private:
  std::thread thread_;
  StartDialogView view_;
};

TEST_F(UiAdapter, StartDialogStretchesAnEightBitTitlePictureOverTheWholeDialog) {
  const COLORREF red = RGB(255, 0, 0);
  const std::string folder = mediaFolder("quillet_start8", solidBitmap(16, 8, 8, red));
  StartDialogViewer viewer(IDOK, [](const StartDialogView& v) {
    return v.pictureCorner == RGB(255, 0, 0) && v.pictureCentre == RGB(255, 0, 0) &&
           v.okButton != RGB(255, 0, 0);
  });
  EXPECT_EQ(ui.startDialog(folder), IDOK);
  const StartDialogView& view = viewer.wait();
  ASSERT_TRUE(view.found);
  EXPECT_TRUE(view.ended);
  EXPECT_TRUE(view.message.empty());
  EXPECT_EQ(view.shot.caption, L"");
  EXPECT_EQ(view.shot.textOf(IDOK), L"インストール開始");
  EXPECT_EQ(view.shot.textOf(IDCANCEL), L"ｷｬﾝｾﾙ");
  EXPECT_EQ(view.pictureCorner, red);
  EXPECT_EQ(view.pictureCentre, red);
  EXPECT_NE(view.okButton, red) << "the buttons stay above the picture";
  EXPECT_FALSE(view.editVisible);
}

TEST_F(UiAdapter, StartDialogDrawsATwentyFourBitPictureAndCancelEndsIt) {
  const COLORREF green = RGB(0, 255, 0);
  const std::string folder = mediaFolder("quillet_start24", solidBitmap(3, 2, 24, green));
  StartDialogViewer viewer(IDCANCEL, [](const StartDialogView& v) {
    return v.pictureCorner == RGB(0, 255, 0) && v.pictureCentre == RGB(0, 255, 0);
  });
  EXPECT_EQ(ui.startDialog(folder), IDCANCEL);
  const StartDialogView& view = viewer.wait();
  ASSERT_TRUE(view.found);
  EXPECT_TRUE(view.ended);
  EXPECT_EQ(view.pictureCorner, green);
  EXPECT_EQ(view.pictureCentre, green);
}

TEST_F(UiAdapter, StartDialogWithoutTitlePictureSaysSoAndShowsTheBlackArea) {
  const std::string folder = mediaFolder("quillet_start_none", "");
  StartDialogViewer viewer(IDCANCEL, showsTheBlackArea);
  EXPECT_EQ(ui.startDialog(folder), IDCANCEL);
  const StartDialogView& view = viewer.wait();
  ASSERT_TRUE(view.found);
  EXPECT_TRUE(view.ended);
  EXPECT_EQ(view.message, L"起動画面のファイルが見つかりません。");
  EXPECT_TRUE(isBlackRectangleColour(view.pictureCentre)) << std::hex << view.pictureCentre;
}

TEST_F(UiAdapter, StartDialogWithAnUndrawableFileShowsTheBlackAreaSilently) {
  const std::string folder = mediaFolder("quillet_start_bad", std::string(100, 'x'));
  StartDialogViewer viewer(IDOK, showsTheBlackArea);
  EXPECT_EQ(ui.startDialog(folder), IDOK);
  const StartDialogView& view = viewer.wait();
  ASSERT_TRUE(view.found);
  EXPECT_TRUE(view.ended);
  EXPECT_TRUE(view.message.empty());
  EXPECT_TRUE(isBlackRectangleColour(view.pictureCentre)) << std::hex << view.pictureCentre;
}

TEST_F(UiAdapter, StartDialogWithAHugeFileShowsTheBlackAreaSilently) {
  // Far larger than any picture: it exists, so there is no missing-file message.
  const std::string folder = mediaFolder("quillet_start_huge", "");
  const std::string path = folder + "\\title.bmp";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 300ll * 1024 * 1024;
  ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  StartDialogViewer viewer(IDOK, showsTheBlackArea);
  EXPECT_EQ(ui.startDialog(folder), IDOK);
  const StartDialogView& view = viewer.wait();
  DeleteFileA(path.c_str());
  ASSERT_TRUE(view.found);
  EXPECT_TRUE(view.ended);
  EXPECT_TRUE(view.message.empty()) << "the file exists";
  EXPECT_TRUE(isBlackRectangleColour(view.pictureCentre)) << std::hex << view.pictureCentre;
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

// Every dialog and message box of the run, as an operator sees it: each text
// whole in its control's font, the dialog in the middle of the screen.
bool centredOnScreen(const RECT& rect) {
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return std::abs((rect.left + rect.right) / 2 - (area.left + area.right) / 2) <= 1 &&
         std::abs((rect.top + rect.bottom) / 2 - (area.top + area.bottom) / 2) <= 1;
}

TEST_F(UiAdapter, EveryDialogAndMessageShowsItsTextsWhole) {
  const std::string pictures = mediaFolder("quillet_start_fit", solidBitmap(4, 4, 24, 0));
  // The product's name comes from its registry key, of any length.
  const std::string name = "Plexor Studio プロフェッショナル・ネットワーク版", file = "bin\\core.dll";
  const std::string upper = "このアップデータは 9.00 以上用です。";
  std::vector<std::pair<std::string, std::function<int()>>> shown = {
      {"start", [&] { return ui.startDialog(pictures); }},
      {"restart", [&] { return ui.restartDialog("Plexor"); }},
      {"restart, long name", [&] { return ui.restartDialog(name); }},
      {"completion", [&] { return ui.doneDialog("Plexor"); }},
      {"completion, long name", [&] { return ui.doneDialog(name); }},
      {"version", [&] { return ui.versionAbortDialog("お使いのPlexorのバージョンは 3.05 です。", upper); }},
      {"version, long name",
       [&] { return ui.versionAbortDialog("お使いの" + name + "のバージョンは 3.05 です。", upper); }},
      {"administrator", [&] { return ui.adminAbortDialog(); }},
  };
  for (std::string text : {withName(kMsgNotInstalled, name), std::string(kMsgScriptNotFound),
                           std::string(kMsgWrongModel), std::string(kMsgRegistryWriteFailed),
                           std::string(kMsgCopyFailed), withName(kMsgMediaFileMissing, file),
                           withName(kMsgMediaFileDamaged, file),
                           withName(kMsgMediaFileUnlisted, file),
                           std::string("起動画面のファイルが見つかりません。"),
                           std::string("コンピュータが再起動できません。(-3)")}) {
    shown.emplace_back(text, [this, text] { return ui.messageBox(text), IDOK; });
  }
  for (const auto& row : shown) {
    // Start and restart dialogs are left with Esc: nothing starts or restarts.
    const bool escape = row.first == "start" || row.first.rfind("restart", 0) == 0;
    DialogAnswerer answerer(escape ? IDCANCEL : IDOK);
    EXPECT_EQ(row.second(), escape ? IDCANCEL : IDOK) << row.first;
    const DialogSnapshot& shot = answerer.wait();
    ASSERT_TRUE(answerer.found()) << row.first;
    EXPECT_TRUE(answerer.cutShort().empty()) << row.first << PrintToString(answerer.cutShort());
    EXPECT_TRUE(centredOnScreen(shot.rect)) << row.first;
  }

  std::unique_ptr<ProgressWindow> progress = ui.createProgressDialog();
  ASSERT_NE(progress, nullptr);
  HWND window = quillet_test::dialogsOfProcess(GetCurrentProcessId()).front();
  EXPECT_TRUE(quillet_test::textsCutShort(window).empty()) << "progress";
  EXPECT_TRUE(centredOnScreen(quillet_test::snapshot(window).rect)) << "progress";
}

// A text set while the dialog is up gets its room as well.
constexpr char kLateText[] = "Plexorのアップデートは正常に終了しました。次回の起動時に残りを置き換えます。";
class LateTextDialog : public DoneDialog {
 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override {
    if (message != WM_APP) return DoneDialog::OnMessage(message, wParam, lParam, result);
    m_message.SetWindowTextUtf8(kLateText);
    *result = 0;
    return true;
  }
};

TEST_F(UiAdapter, ATextSetWhileTheDialogIsUpGetsItsRoom) {
  LateTextDialog dialog;
  DialogAnswerer answerer(IDOK, [](HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_APP, 0, 0, SMTO_ABORTIFHUNG, kDialogAppears, &ignored);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  const DialogSnapshot& shot = answerer.wait();
  EXPECT_EQ(shot.textOf(IDC_DONE_TEXT), fromUtf8(kLateText));
  EXPECT_TRUE(answerer.cutShort().empty()) << PrintToString(answerer.cutShort());
  EXPECT_TRUE(centredOnScreen(shot.rect));
}

}  // namespace
}  // namespace quillet
