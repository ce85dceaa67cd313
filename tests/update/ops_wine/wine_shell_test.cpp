// Shortcuts on the real platform: internet shortcut files byte for byte and
// shell links read back through the shell's link object. Program starts are
// checked end to end (silent_update_test.sh with launch_probe.exe).
#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>

#include "tests/update/ops_wine/wine_scratch.h"
#include "update/ops/shortcuts.h"
#include "update/win32/win32_code_page.h"
#include "update/win32/win32_file_system.h"
#include "update/win32/win32_shell.h"

namespace quillet {
namespace {

// The target a saved link resolves to, read back with IShellLinkA; empty
// when the file is no loadable link.
std::string linkTarget(const std::string& linkPath) {
  std::string target;
  if (FAILED(CoInitialize(nullptr))) return target;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      WCHAR wide[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
      char path[MAX_PATH] = {};
      if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
          SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) {
        target = path;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return target;
}

TEST(Win32ShellAdapter, ShortcutsOfBothKindsAsTheSystemReadsThem) {
  ScratchFolder dir("shortcuts");
  const std::string target = dir / "Program Files\\app one.exe";
  CreateDirectoryA((dir / "Program Files").c_str(), nullptr);
  ASSERT_TRUE(writeBytes(target, "MZ"));
  ASSERT_TRUE(writeBytes(dir / "old.lnk", "not a link, and longer than nothing"));
  ASSERT_TRUE(writeBytes(dir / "old.url", "an old internet shortcut, longer than the new one......"));

  auto job = std::make_unique<UpdateJob>();
  const ShortcutEntry entries[] = {
      {target, dir / "old.url", kLinkInternet},
      {target, dir / "old.lnk", kLinkShell},
      {target, dir / "missing\\x.lnk", kLinkShell},
      {target, dir / "missing\\x.url", kLinkInternet},
  };
  for (const ShortcutEntry& entry : entries) job->shortcutEntries[job->shortcutEntryCount++] = entry;
  Win32FileSystem files;
  Win32Shell shell;
  Win32CodePage codePage;
  EXPECT_EQ(createShortcuts(*job, files, shell, codePage), 0);  // the two in a missing folder fail

  EXPECT_EQ(readBytes(dir / "old.url"),
            "[InternetShortcut]\r\nURL=file:" + target + "\r\n\r\nIconIndex=0\r\nIconFile=" +
                target + "\r\n");
  const std::string link = readBytes(dir / "old.lnk");
  ASSERT_GE(link.size(), 8u);
  EXPECT_EQ(link.substr(0, 8), std::string("\x4C\x00\x00\x00\x01\x14\x02\x00", 8));
  EXPECT_EQ(linkTarget(dir / "old.lnk"), target);
  EXPECT_FALSE(fileExists(dir / "missing\\x.lnk"));
  EXPECT_FALSE(fileExists(dir / "missing\\x.url"));
}

}  // namespace
}  // namespace quillet
