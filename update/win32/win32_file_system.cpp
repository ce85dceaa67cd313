#include "update/win32/win32_file_system.h"

#include <windows.h>

#include <cerrno>
#include <io.h>
#include <vector>

#include "update/win32/file_handle.h"
#include "update/win32/system_libraries.h"

namespace quillet {

namespace {

// FILETIME ticks (100 ns since 1601) of a run-time time_t (seconds since 1970).
std::uint64_t fileTimeOf(__time64_t seconds) {
  return static_cast<std::uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
}

void fillInfo(const struct __finddata64_t& data, FileInfo* info) {
  info->name = data.name;
  info->attributes = data.attrib;
  info->lastWriteTime = fileTimeOf(data.time_write);
}

class RuntimeSearch : public FileSearch {
 public:
  explicit RuntimeSearch(intptr_t handle) : handle_(handle) {}
  ~RuntimeSearch() override { _findclose(handle_); }
  RuntimeSearch(const RuntimeSearch&) = delete;
  RuntimeSearch& operator=(const RuntimeSearch&) = delete;
  bool next(FileInfo* info) override {
    struct __finddata64_t data;
    if (_findnext64(handle_, &data) != 0) return false;
    fillInfo(data, info);
    return true;
  }

 private:
  intptr_t handle_;
};

}  // namespace

bool Win32FileSystem::readFile(const std::string& path, std::string* bytes) {
  // Shares like the run-time library's fopen: a file another program holds
  // open for writing can still be read.
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD done = 0;
  if (!data.empty() &&
      (!ReadFile(file.get(), &data[0], static_cast<DWORD>(data.size()), &done, nullptr) ||
       done != data.size())) {
    return false;
  }
  *bytes = std::move(data);
  return true;
}

bool Win32FileSystem::writeFile(const std::string& path, const std::string& bytes) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  DWORD done = 0;
  return bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                     &done, nullptr) &&
                           done == bytes.size());
}

bool Win32FileSystem::createDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32FileSystem::removeDirectory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

bool Win32FileSystem::deleteFile(const std::string& path) {
  return DeleteFileA(path.c_str()) != FALSE;
}

bool Win32FileSystem::copyFile(const std::string& from, const std::string& to,
                               bool failIfExists) {
  return CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

long Win32FileSystem::copyToNewFile(const std::string& from, const std::string& to) {
  if (CopyFileA(from.c_str(), to.c_str(), TRUE)) return kErrorSuccess;
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? static_cast<long>(error) : ERROR_GEN_FAILURE;
}

bool Win32FileSystem::replaceFile(const std::string& from, const std::string& to) {
  // On the disk before the call returns: the commit that follows counts on it.
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32FileSystem::deleteAtRestart(const std::string& path) {
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

long Win32FileSystem::moveFile(const std::string& from, const std::string& to) {
  // A rename on the same volume (files and folders); never over an existing
  // name, and on the disk before the call returns.
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE) {
    return kErrorSuccess;
  }
  return static_cast<long>(GetLastError());
}

bool Win32FileSystem::flushFile(const std::string& path) {
  // FlushFileBuffers needs a handle with write access, which a read-only
  // file refuses: its bit is taken off for the flush and put back.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly && !SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool flushed = false;
  if (file != INVALID_HANDLE_VALUE) {
    flushed = FlushFileBuffers(file) != FALSE;
    CloseHandle(file);
  }
  if (readOnly) SetFileAttributesA(path.c_str(), attributes);
  return flushed;
}

std::uint32_t Win32FileSystem::getAttributes(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

bool Win32FileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32FileSystem::findFile(const std::string& path, FileInfo* info) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  info->name = data.cFileName;
  info->attributes = data.dwFileAttributes;
  info->lastWriteTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  return true;
}

std::unique_ptr<FileSearch> Win32FileSystem::findFiles(const std::string& pattern,
                                                       FileInfo* first, int* error) {
  struct __finddata64_t data;
  const intptr_t handle = _findfirst64(pattern.c_str(), &data);
  if (handle == -1) {
    *error = errno;
    return nullptr;
  }
  *error = 0;
  fillInfo(data, first);
  return std::make_unique<RuntimeSearch>(handle);
}

bool Win32FileSystem::fileVersionText(const std::string& path, std::string* text) {
  // VERSION.dll is not a known DLL: taken from the system folder on first use.
  const VersionFunctions* version = versionFunctions();
  if (version == nullptr) return false;
  DWORD ignored = 0;
  const DWORD size = version->getFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<char> block(size);
  if (!version->getFileVersionInfoA(path.c_str(), 0, size, block.data())) return false;
  char* value = nullptr;
  UINT length = 0;
  // Only the Japanese / UTF-16 string table is consulted.
  const char query[] = "\\StringFileInfo\\041104B0\\FileVersion";
  if (!version->verQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) ||
      value == nullptr) {
    return false;
  }
  *text = value;
  return true;
}

}  // namespace quillet
