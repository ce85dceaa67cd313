#include "update/app/dialogs.h"

#include <vector>

#include "update/win32/win32_code_page.h"

namespace quillet {
namespace {

// The whole file as raw bytes; false only when it cannot be opened. A file
// that cannot be read, or is far larger than any picture the dialog would
// draw, gives no bytes (an undrawable picture).
bool readWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  if (GetFileSizeEx(file, &size) != 0 && size.QuadPart > 0 &&
      static_cast<std::uint64_t>(size.QuadPart) <= 2 * kMaxTitlePictureBits) {
    bytes->assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(size.QuadPart), &read, nullptr) == 0) {
      read = 0;
    }
    bytes->resize(read);
  }
  CloseHandle(file);
  return true;
}

}  // namespace

BOOL StartDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  loadTitlePicture();
  m_edit.ShowWindow(SW_HIDE);
  SetActiveWindow(m_hWnd);
  return TRUE;
}

void StartDialog::loadTitlePicture() {
  std::string bytes;
  if (!readWholeFile(sourceDir + "\\title.bmp", &bytes)) {
    frameworkMessageBox("起動画面のファイルが見つかりません。");
    return;
  }
  // A file that is no drawable bitmap leaves the black picture area.
  parseTitlePicture(bytes, &titlePicture);
}

bool StartDialog::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR* result) {
  if (message == WM_PAINT) {
    paint();
    *result = 0;
    return true;
  }
  if (message == WM_DESTROY) {
    titlePicture = TitlePicture{};  // the picture lives as long as the window
  }
  return false;
}

void StartDialog::paint() {
  // The dialog's own painting: its background was erased already.
  PAINTSTRUCT paint;
  BeginPaint(m_hWnd, &paint);
  EndPaint(m_hWnd, &paint);
  // The picture control paints its black rectangle first.
  InvalidateRect(m_picture.m_hWnd, nullptr, TRUE);
  UpdateWindow(m_picture.m_hWnd);
  if (titlePicture.loaded()) {
    HDC target = GetDC(m_picture.m_hWnd);
    HDC memory = CreateCompatibleDC(target);
    const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(titlePicture.description.data());
    HBITMAP bitmap =
        CreateDIBitmap(target, info, CBM_INIT, titlePicture.bits.data(),
                       reinterpret_cast<const BITMAPINFO*>(titlePicture.description.data()),
                       DIB_RGB_COLORS);
    if (bitmap != nullptr) {
      HGDIOBJ previous = SelectObject(memory, bitmap);
      RECT area;
      GetClientRect(m_picture.m_hWnd, &area);
      StretchBlt(target, 0, 0, area.right, area.bottom, memory, 0, 0, titlePicture.width,
                 titlePicture.height, SRCCOPY);
      SelectObject(memory, previous);
      DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(m_picture.m_hWnd, target);
  }
  UpdateWindow(m_hWnd);
}

std::wstring formatResourceString(UINT id, const std::wstring& name) {
  std::wstring text = loadResourceString(id);
  const std::size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, name);
  return text;
}

BOOL RestartDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  CheckRadioButton(m_hWnd, IDC_RESTART_YES, IDC_RESTART_NO, IDC_RESTART_YES);
  const std::wstring name = utf8ToWide(programGroupName);
  m_message.SetWindowTextWide(formatResourceString(IDS_UPDATE_DONE, name) + L"\n" +
                              formatResourceString(IDS_RESTART_NEEDED, name));
  return TRUE;
}

void RestartDialog::OnOK() {
  if (SendMessageW(GetDlgItem(IDC_RESTART_YES), BM_GETCHECK, 0, 0) == BST_CHECKED) {
    const int result = restart_();
    if (result != 0) {
      frameworkMessageBox("コンピュータが再起動できません。(" + std::to_string(result) + ")");
    }
  }
  CDialog::OnOK();
}

BOOL VersionAbortDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  m_firstLine.SetWindowTextUtf8(firstLine);
  m_secondLine.SetWindowTextUtf8(secondLine);
  return TRUE;
}

BOOL DoneDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  m_message.SetWindowTextWide(formatResourceString(IDS_UPDATE_DONE, utf8ToWide(programGroupName)));
  return TRUE;
}

}  // namespace quillet
