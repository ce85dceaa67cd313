#pragma once
// The file-system port over the ANSI file functions, the run-time file search
// and the version-resource functions.
#include "update/ports/files_port.h"

namespace quillet {

class Win32FileSystem : public FileSystemPort {
 public:
  bool readFile(const std::string& path, std::string* bytes) override;
  bool writeFile(const std::string& path, const std::string& bytes) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  long copyToNewFile(const std::string& from, const std::string& to) override;
  bool replaceFile(const std::string& from, const std::string& to) override;
  std::uint32_t getAttributes(const std::string& path) override;
  bool setAttributes(const std::string& path, std::uint32_t attributes) override;
  bool findFile(const std::string& path, FileInfo* info) override;
  std::unique_ptr<FileSearch> findFiles(const std::string& pattern, FileInfo* first,
                                        int* error) override;
  bool fileVersionText(const std::string& path, std::string* text) override;
  long moveFile(const std::string& from, const std::string& to) override;
  bool flushFile(const std::string& path) override;
  bool deleteAtRestart(const std::string& path) override;
  // win32_file_pieces.cpp
  std::unique_ptr<FileReading> openToRead(const std::string& path, long* error) override;
  bool createPrivateDirectory(const std::string& path) override;
};

}  // namespace quillet
