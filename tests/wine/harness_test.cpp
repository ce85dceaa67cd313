// Checks the conditions every Wine test relies on: Japanese ANSI code page,
// an unprivileged user (read-only files really are read-only) and a display.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string tempPath(const char* name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

TEST(WineHarness, AnsiCodePageIsJapanese) { EXPECT_EQ(GetACP(), 932u); }

TEST(WineHarness, ReadOnlyFileCannotBeOverwritten) {
  const std::string src = tempPath("harness_src.txt");
  const std::string dst = tempPath("harness_dst.txt");
  SetFileAttributesA(dst.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(dst.c_str());
  HANDLE h = CreateFileA(src.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  ASSERT_TRUE(CopyFileA(src.c_str(), dst.c_str(), FALSE));
  ASSERT_TRUE(SetFileAttributesA(dst.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(CopyFileA(src.c_str(), dst.c_str(), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SetFileAttributesA(dst.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(dst.c_str());
  DeleteFileA(src.c_str());
}

TEST(WineHarness, WindowsCanBeCreated) {
  HWND w = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(w, nullptr);
  DestroyWindow(w);
}

}  // namespace
