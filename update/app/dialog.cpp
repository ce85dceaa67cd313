#include "update/app/dialog.h"

#include <vector>

#include "update/app/dialog_text_fit.h"
#include "update/run/win_app.h"
#include "update/win32/win32_code_page.h"

namespace quillet {

std::wstring messageBoxCaption() {
  if (CWinApp* app = CWinApp::current(); app != nullptr && !app->m_pszAppName.empty()) {
    return ansiToWide(app->m_pszAppName);
  }
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, length < MAX_PATH ? length : 0);
  const std::size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name;
}

void frameworkMessageBox(const std::string& utf8Text) {
  MessageBoxW(nullptr, utf8ToWide(utf8Text).c_str(), messageBoxCaption().c_str(),
              MB_OK | MB_ICONWARNING);
}

HINSTANCE resourceInstance() { return GetModuleHandleW(nullptr); }

std::wstring loadResourceString(UINT id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadStringW hands out the resource text itself.
  const int length = LoadStringW(resourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::wstring();
  return std::wstring(text, static_cast<std::size_t>(length));
}

void CWnd::SetWindowTextUtf8(const std::string& utf8) const {
  SetWindowTextWide(utf8ToWide(utf8));
}

void CWnd::SetWindowTextWide(const std::wstring& text) const {
  ::SetWindowTextW(m_hWnd, text.c_str());
  if (CDialog* dialog = CDialog::FromHandle(::GetParent(m_hWnd))) dialog->FitToTexts();
}

std::wstring windowTextWide(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int got = ::GetWindowTextW(window, buffer.data(), length + 1);
  return std::wstring(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

std::wstring CWnd::GetWindowTextWide() const { return windowTextWide(m_hWnd); }

CDialog::~CDialog() {
  // A dialog object that goes away takes its window with it.
  if (m_hWnd != nullptr) {
    HWND window = m_hWnd;
    SetWindowLongPtrW(window, DWLP_USER, 0);
    m_hWnd = nullptr;
    ::DestroyWindow(window);
  }
}

INT_PTR CDialog::DoModal() {
  modal_ = true;
  return DialogBoxParamW(resourceInstance(), MAKEINTRESOURCEW(templateId_), nullptr,
                         &CDialog::dialogProcedure, reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(UINT templateId) {
  templateId_ = templateId;
  modal_ = false;
  HWND window = CreateDialogParamW(resourceInstance(), MAKEINTRESOURCEW(templateId), nullptr,
                                   &CDialog::dialogProcedure, reinterpret_cast<LPARAM>(this));
  return window != nullptr;
}

BOOL CDialog::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

void CDialog::EndDialog(int result) {
  if (modal_) {
    ::EndDialog(m_hWnd, result);
  } else {
    // A modeless dialog has no modal loop to end; it just goes out of sight.
    ::ShowWindow(m_hWnd, SW_HIDE);
  }
}

BOOL CDialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }

namespace {

// Dialogs of the tool have no parent: each appears in the middle of the
// screen's work area.
void centerOnScreen(HWND window) {
  RECT area = {};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return;
  RECT rect = {};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(window, nullptr, x > area.left ? x : area.left, y > area.top ? y : area.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CDialog::FitToTexts() {
  if (m_hWnd != nullptr && fitDialogToTexts(m_hWnd)) centerOnScreen(m_hWnd);
}

CDialog* CDialog::FromHandle(HWND window) {
  if (window == nullptr ||
      GetWindowLongPtrW(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&dialogProcedure)) {
    return nullptr;
  }
  return reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
}

INT_PTR CALLBACK CDialog::dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->m_hWnd = window;
    centerOnScreen(window);
    const BOOL focusDefault = dialog->OnInitDialog();
    // The template's texts, and those the dialog set at its start.
    dialog->FitToTexts();
    return focusDefault;
  }
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED || lParam == 0) {
        if (LOWORD(wParam) == IDOK) {
          dialog->OnOK();
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          dialog->OnCancel();
          return TRUE;
        }
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, DWLP_USER, 0);
      dialog->m_hWnd = nullptr;
      dialog->PostNcDestroy();  // may delete the dialog object
      return FALSE;
    default:
      break;
  }
  INT_PTR result = 0;
  if (dialog->OnMessage(message, wParam, lParam, &result)) {
    // Messages with a return value of their own need DWLP_MSGRESULT.
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
  }
  return FALSE;
}

}  // namespace quillet
