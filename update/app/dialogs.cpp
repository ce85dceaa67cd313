#include "update/app/dialogs.h"

#include "update/win32/win32_code_page.h"

namespace quillet {

std::wstring formatResourceString(UINT id, const std::wstring& name) {
  std::wstring text = loadResourceString(id);
  const std::size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, name);
  return text;
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
