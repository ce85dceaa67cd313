#pragma once
// A file system that only reads whole files: every change, search and
// version query is refused. The base of ports that only read a script (the
// script checker) and of test doubles.
#include <memory>
#include <string>

#include "update/ports/files_port.h"

namespace quillet {

class ReadOnlyFileSystem : public FileSystemPort {
 public:
  bool readFile(const std::string& path, std::string* bytes) override = 0;
  bool writeFile(const std::string&, const std::string&) override { return false; }
  bool createDirectory(const std::string&) override { return false; }
  bool removeDirectory(const std::string&) override { return false; }
  bool deleteFile(const std::string&) override { return false; }
  bool copyFile(const std::string&, const std::string&, bool) override { return false; }
  long copyToNewFile(const std::string&, const std::string&) override { return kErrorAccessDenied; }
  bool replaceFile(const std::string&, const std::string&) override { return false; }
  std::uint32_t getAttributes(const std::string&) override { return kInvalidAttributes; }
  bool setAttributes(const std::string&, std::uint32_t) override { return false; }
  bool findFile(const std::string&, FileInfo*) override { return false; }
  std::unique_ptr<FileSearch> findFiles(const std::string&, FileInfo*, int* error) override {
    *error = 2;  // ENOENT: nothing matches
    return nullptr;
  }
  bool fileVersionText(const std::string&, std::string*) override { return false; }
};

}  // namespace quillet
