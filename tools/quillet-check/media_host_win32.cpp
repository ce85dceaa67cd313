#include <windows.h>

#include <algorithm>
#include <string>

#include "tools/quillet-check/media_host.h"
#include "update/text/wide_text.h"
#include "update/win32/file_handle.h"

namespace quillet {
namespace {

std::wstring widePath(const std::string& mediaDir, const std::string& listName) {
  std::wstring path = ansiToWide(mediaDir) + L"\\" + utf8ToWide(listName);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::string windowsError(DWORD error) { return "Windows error " + std::to_string(error); }

bool writeAll(HANDLE file, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const DWORD ask = DWORD(std::min<std::size_t>(text.size() - done, kMediaPieceSize));
    DWORD put = 0;
    if (!WriteFile(file, text.data() + done, ask, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

// A new file only this run writes to. CREATE_NEW on the name itself (not
// what a link there points to), so a name planted beforehand is never
// written through.
HANDLE createBeside(const std::wstring& path, std::wstring* temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string suffix =
        ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
    *temporary = path + std::wstring(suffix.begin(), suffix.end());  // ASCII
    const HANDLE file = CreateFileW(temporary->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS))
      return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

MediaRead readMediaFile(const std::string& mediaDir, const std::string& listName,
                        const MediaUse& use, std::string* why) {
  const std::wstring path = widePath(mediaDir, listName);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return MediaRead::kMissing;
    *why = windowsError(error);
    return MediaRead::kFailed;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    *why = "it is a folder, not a regular file";
    return MediaRead::kFailed;
  }
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    *why = windowsError(GetLastError());
    return MediaRead::kFailed;
  }
  // A device name (CON, COM1, ...) opens the device, a pipe's name the pipe.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    *why = "it is a device or a pipe, not a regular file";
    return MediaRead::kFailed;
  }
  std::string readError;
  const PieceReader pieces = [&](char* buffer, std::size_t capacity, std::size_t* got) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, DWORD(std::min<std::size_t>(capacity, MAXDWORD)), &read,
                  nullptr)) {
      readError = windowsError(GetLastError());
      return false;
    }
    *got = read;
    return true;
  };
  if (use(pieces)) return MediaRead::kRead;
  *why = readError;
  return MediaRead::kFailed;
}

bool replaceMediaList(const std::string& mediaDir, const std::string& listName,
                      const std::string& text, std::string* why) {
  const std::wstring path = widePath(mediaDir, listName);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
      *why = attributes & FILE_ATTRIBUTE_REPARSE_POINT
                 ? "it is a link (a reparse point), which is left as it is; remove it and seal again"
                 : "it is a folder, which is left as it is; remove it and seal again";
      return false;
    }
  } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
    *why = windowsError(error);
    return false;
  }
  std::wstring temporary;
  FileHandle out(createBeside(path, &temporary));
  if (!out.valid()) {
    *why = "cannot create a file beside it: " + windowsError(GetLastError());
    return false;
  }
  // Renamed over the list only once written and on the disk; the rename
  // replaces whatever name stands there then, and never writes through it.
  const bool written = writeAll(out.get(), text) && FlushFileBuffers(out.get());
  const DWORD writeError = GetLastError();
  if (!out.close() || !written) {
    *why = "cannot write '" + wideToUtf8(temporary) + "': " +
           windowsError(written ? GetLastError() : writeError);
    DeleteFileW(temporary.c_str());
    return false;
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    *why = "cannot rename the new list over it: " + windowsError(GetLastError());
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace quillet
