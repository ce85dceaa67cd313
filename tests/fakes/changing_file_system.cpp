#include "tests/fakes/changing_file_system.h"

namespace quillet {

void ChangingFileSystem::read(const std::string& path) {
  ++reads_[path];
  const auto change = changes_.find(path);
  if (change == changes_.end()) return;
  inner_.addFile(path, change->second);
  changes_.erase(change);
}

int ChangingFileSystem::readsOf(const std::string& path) const {
  const auto found = reads_.find(path);
  return found == reads_.end() ? 0 : found->second;
}

int ChangingFileSystem::mostReadsOfOneFileIn(const std::string& folder) const {
  int most = 0;
  for (const auto& reads : reads_) {
    if (reads.first.compare(0, folder.size(), folder) == 0 && reads.second > most) {
      most = reads.second;
    }
  }
  return most;
}

bool ChangingFileSystem::readFile(const std::string& path, std::string* bytes) {
  if (lookUpErrors_.count(path) != 0) return false;
  const bool ok = inner_.readFile(path, bytes);
  read(path);
  return ok;
}

std::unique_ptr<FileReading> ChangingFileSystem::openToRead(const std::string& path,
                                                            long* error) {
  const auto failure = lookUpErrors_.find(path);
  if (failure != lookUpErrors_.end()) {
    *error = failure->second;
    return nullptr;
  }
  // The fake serves the data as it was when opened, as an open file would.
  std::unique_ptr<FileReading> file = inner_.openToRead(path, error);
  read(path);
  return file;
}

bool ChangingFileSystem::copyFile(const std::string& from, const std::string& to,
                                  bool failIfExists) {
  const bool ok = inner_.copyFile(from, to, failIfExists);
  read(from);
  return ok;
}

long ChangingFileSystem::copyToNewFile(const std::string& from, const std::string& to) {
  const long status = inner_.copyToNewFile(from, to);
  read(from);
  return status;
}

std::uint32_t ChangingFileSystem::getAttributes(const std::string& path) {
  if (lookUpErrors_.count(path) != 0) return kInvalidAttributes;
  return inner_.getAttributes(path);
}

}  // namespace quillet
