#pragma once
// A file system in front of a FakeFileSystem that plays a share rewritten
// while a run goes on: a watched file is replaced right after its first read
// (whole, in pieces, or as the source of a copy), and every read of each
// file is counted. It can also make looking at a path fail with a system
// error (no access, a network fault). Everything else passes through.
#include <map>
#include <string>

#include "tests/fakes/fake_file_system.h"

namespace quillet {

class ChangingFileSystem : public FileSystemPort {
 public:
  explicit ChangingFileSystem(FakeFileSystem& inner) : inner_(inner) {}

  // After the first read of path, the file holds these bytes.
  void changeAfterFirstRead(const std::string& path, const std::string& bytes) {
    changes_[path] = bytes;
  }
  // Opening or looking at path fails with this error.
  void failLookUp(const std::string& path, long error) { lookUpErrors_[path] = error; }
  int readsOf(const std::string& path) const;
  // The most reads of one file below the folder (its path starts with it).
  int mostReadsOfOneFileIn(const std::string& folder) const;

  bool readFile(const std::string& path, std::string* bytes) override;
  std::unique_ptr<FileReading> openToRead(const std::string& path, long* error) override;
  bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  long copyToNewFile(const std::string& from, const std::string& to) override;
  std::uint32_t getAttributes(const std::string& path) override;

  bool writeFile(const std::string& path, const std::string& bytes) override {
    return inner_.writeFile(path, bytes);
  }
  bool createDirectory(const std::string& path) override { return inner_.createDirectory(path); }
  bool removeDirectory(const std::string& path) override { return inner_.removeDirectory(path); }
  bool deleteFile(const std::string& path) override { return inner_.deleteFile(path); }
  bool replaceFile(const std::string& from, const std::string& to) override {
    return inner_.replaceFile(from, to);
  }
  bool setAttributes(const std::string& path, std::uint32_t attributes) override {
    return inner_.setAttributes(path, attributes);
  }
  bool findFile(const std::string& path, FileInfo* info) override {
    return inner_.findFile(path, info);
  }
  std::unique_ptr<FileSearch> findFiles(const std::string& pattern, FileInfo* first,
                                        int* error) override {
    return inner_.findFiles(pattern, first, error);
  }
  bool fileVersionText(const std::string& path, std::string* text) override {
    return inner_.fileVersionText(path, text);
  }
  long moveFile(const std::string& from, const std::string& to) override {
    return inner_.moveFile(from, to);
  }
  bool flushFile(const std::string& path) override { return inner_.flushFile(path); }
  bool createPrivateDirectory(const std::string& path) override {
    return inner_.createPrivateDirectory(path);
  }

 private:
  // Counts a read of path and makes its change once the read is over.
  void read(const std::string& path);

  FakeFileSystem& inner_;
  std::map<std::string, std::string> changes_;
  std::map<std::string, long> lookUpErrors_;
  std::map<std::string, int> reads_;
};

}  // namespace quillet
