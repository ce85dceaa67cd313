#pragma once
// File-system access with ANSI paths (bytes in the system code page).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "update/ports/status_codes.h"

namespace quillet {

enum : std::uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kInvalidAttributes = 0xFFFFFFFFu,
};

struct FileInfo {
  std::string name;             // the match's name, without folder
  std::uint32_t attributes = 0;
  std::uint64_t lastWriteTime = 0;  // 100 ns ticks since 1601 (FILETIME)
};

// An open wildcard search (_findfirst/_findnext); closed when destroyed.
class FileSearch {
 public:
  virtual ~FileSearch() = default;
  virtual bool next(FileInfo* info) = 0;
};

// A file opened to be read from its start, piece by piece; closed when
// destroyed.
class FileReading {
 public:
  virtual ~FileReading() = default;
  // Up to `capacity` bytes into buffer; *got 0 at the end. False on an error.
  virtual bool read(char* buffer, std::size_t capacity, std::size_t* got) = 0;
};

class FileSystemPort {
 public:
  virtual ~FileSystemPort() = default;
  // Reads the whole file as raw bytes; false when it cannot be opened or read.
  virtual bool readFile(const std::string& path, std::string* bytes) = 0;
  // Creates or truncates the file and writes the bytes.
  virtual bool writeFile(const std::string& path, const std::string& bytes) = 0;
  virtual bool createDirectory(const std::string& path) = 0;   // last component only
  virtual bool removeDirectory(const std::string& path) = 0;   // empty folder only
  virtual bool deleteFile(const std::string& path) = 0;
  // CopyFileA: the copy carries the source's attributes and last-write time.
  virtual bool copyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  // CopyFileA that never overwrites: kErrorSuccess, kErrorFileExists when the
  // name is taken (nothing was touched), or the error of a failed copy.
  virtual long copyToNewFile(const std::string& from, const std::string& to) = 0;
  // MoveFileExA with MOVEFILE_REPLACE_EXISTING, written through before it
  // returns: fails on a target in use.
  virtual bool replaceFile(const std::string& from, const std::string& to) = 0;
  virtual std::uint32_t getAttributes(const std::string& path) = 0;  // kInvalidAttributes on failure
  virtual bool setAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // FindFirstFileA on a path without wildcards: the entry's data, or false.
  virtual bool findFile(const std::string& path, FileInfo* info) = 0;
  // _findfirst: the first match in *first and the search for the rest; null
  // with *error set to the run-time errno (2 = ENOENT) when nothing matches.
  virtual std::unique_ptr<FileSearch> findFiles(const std::string& pattern, FileInfo* first,
                                                int* error) = 0;
  // The "\StringFileInfo\041104B0\FileVersion" text of the file's version
  // resource; false when the file has no version resource or no such string.
  virtual bool fileVersionText(const std::string& path, std::string* text) = 0;

  // MoveFileExA without replacing (a file or a whole folder, on its own
  // volume), written through before it returns: kErrorSuccess or the error.
  // The update's journal moves installed files aside with it.
  virtual long moveFile(const std::string& from, const std::string& to) {
    (void)from;
    (void)to;
    return kErrorInvalidFunction;
  }
  // Writes the file's data through to the disk (FlushFileBuffers); true when
  // done or when the port keeps nothing in memory.
  virtual bool flushFile(const std::string& path) {
    (void)path;
    return true;
  }
  // Has the system delete the file when it next starts (MoveFileExA with
  // MOVEFILE_DELAY_UNTIL_REBOOT, administrators only): for a file that is in
  // use now. False when that cannot be arranged.
  virtual bool deleteAtRestart(const std::string& path) {
    (void)path;
    return false;
  }

  // Opens the file to read it in pieces (shared as readFile shares); null
  // with the system's error: kErrorFileNotFound or kErrorPathNotFound when it
  // is not there, any other code when it cannot be looked at or opened.
  // The default serves an in-memory port from one readFile.
  virtual std::unique_ptr<FileReading> openToRead(const std::string& path, long* error);
  // Creates the folder (its last component) so that only the system and the
  // administrators can change it or anything in it, whatever its parent
  // allows; false when it cannot be made so (it exists already, say). The
  // default is createDirectory: in-memory ports have no rights.
  virtual bool createPrivateDirectory(const std::string& path) { return createDirectory(path); }
};

// True when a file or folder has the path.
inline bool pathPresent(FileSystemPort& files, const std::string& path) {
  return files.getAttributes(path) != kInvalidAttributes;
}

// The defaults of the piecewise calls, for ports that hold files in memory.
namespace detail {

class MemoryReading : public FileReading {
 public:
  explicit MemoryReading(std::string bytes) : bytes_(std::move(bytes)) {}
  bool read(char* buffer, std::size_t capacity, std::size_t* got) override {
    *got = bytes_.size() - at_ < capacity ? bytes_.size() - at_ : capacity;
    if (*got != 0) std::memcpy(buffer, bytes_.data() + at_, *got);
    at_ += *got;
    return true;
  }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

}  // namespace detail

inline std::unique_ptr<FileReading> FileSystemPort::openToRead(const std::string& path,
                                                               long* error) {
  std::string bytes;
  if (!readFile(path, &bytes)) {
    *error = getAttributes(path) == kInvalidAttributes ? kErrorFileNotFound : kErrorAccessDenied;
    return nullptr;
  }
  return std::make_unique<detail::MemoryReading>(std::move(bytes));
}

}  // namespace quillet
