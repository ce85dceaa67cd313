#include "tests/fakes/fake_file_system.h"

#include <cstdio>

namespace quillet {

namespace {

constexpr int kErrnoNoEntry = 2;
constexpr long kErrorDiskFull = 112;
// The ANSI file functions take at most MAX_PATH bytes with the NUL.
constexpr std::size_t kMaxPathBytes = 259;

bool tooLong(const std::string& path) { return path.size() > kMaxPathBytes; }

bool isCp932Lead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t lastBackslash(const std::string& path) {
  std::size_t found = std::string::npos;
  for (std::size_t at = 0; at < path.size(); ++at) {
    if (isCp932Lead(static_cast<unsigned char>(path[at])) && at + 1 < path.size()) {
      ++at;
      continue;
    }
    if (path[at] == '\\') found = at;
  }
  return found;
}

bool hasWildcard(const std::string& text) {
  return text.find('*') != std::string::npos || text.find('?') != std::string::npos;
}

bool matchFrom(const std::string& name, std::size_t n, const std::string& pattern,
               std::size_t p) {
  while (p < pattern.size()) {
    if (pattern[p] == '*') {
      for (std::size_t rest = n; rest <= name.size(); ++rest) {
        if (matchFrom(name, rest, pattern, p + 1)) return true;
      }
      return false;
    }
    if (n >= name.size()) return false;
    if (pattern[p] != '?' && fold(pattern[p]) != fold(name[n])) return false;
    ++p;
    ++n;
  }
  return n == name.size();
}

class ListSearch : public FileSearch {
 public:
  explicit ListSearch(std::vector<FileInfo> rest) : rest_(std::move(rest)) {}
  bool next(FileInfo* info) override {
    if (at_ >= rest_.size()) return false;
    *info = rest_[at_++];
    return true;
  }

 private:
  std::vector<FileInfo> rest_;
  std::size_t at_ = 0;
};

}  // namespace

bool matchesWildcard(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*") return true;
  return matchFrom(name, 0, pattern, 0);
}

std::string FakeFileSystem::key(const std::string& path) {
  std::string folded = path;
  for (std::size_t at = 0; at < folded.size(); ++at) {
    if (isCp932Lead(static_cast<unsigned char>(folded[at])) && at + 1 < folded.size()) {
      ++at;
      continue;
    }
    folded[at] = fold(folded[at]);
  }
  // A trailing separator names the same entry; a trail byte 0x5C is no separator.
  while (folded.size() > 1 && lastBackslash(folded) == folded.size() - 1) folded.pop_back();
  return folded;
}

std::string FakeFileSystem::parentOf(const std::string& path) {
  const std::size_t cut = lastBackslash(path);
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string FakeFileSystem::nameOf(const std::string& path) {
  const std::size_t cut = lastBackslash(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

FakeFileSystem::Node* FakeFileSystem::node(const std::string& path) {
  auto found = nodes_.find(key(path));
  return found == nodes_.end() ? nullptr : &found->second;
}

const FakeFileSystem::Node* FakeFileSystem::node(const std::string& path) const {
  auto found = nodes_.find(key(path));
  return found == nodes_.end() ? nullptr : &found->second;
}

bool FakeFileSystem::parentIsFolder(const std::string& path) const {
  const std::string parent = parentOf(path);
  if (parent.empty()) return false;
  if (lastBackslash(parent) == std::string::npos) return true;  // a drive root ("C:")
  const Node* n = node(parent);
  return n != nullptr && n->folder;
}

bool FakeFileSystem::hasChildren(const std::string& path) const {
  const std::string prefix = key(path) + "\\";
  auto it = nodes_.lower_bound(prefix);
  return it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

FileInfo FakeFileSystem::infoOf(const Node& n, const std::string& name) const {
  FileInfo info;
  info.name = name;
  info.attributes = n.attributes;
  info.lastWriteTime = n.lastWriteTime;
  return info;
}

bool FakeFileSystem::allowed() {
  if (gate == nullptr) return true;
  if (watched_ != gate) {
    watched_ = gate;
    gate->storage.push_back([this] { powerBack(); });
  }
  return gate->allow();
}

void FakeFileSystem::writeUnflushed(Node* n, const std::string& bytes) {
  if (!n->unflushed) n->durableBytes = n->bytes;
  n->unflushed = true;
  n->bytes = bytes;
}

void FakeFileSystem::powerBack() {
  for (auto& entry : nodes_) {
    Node& n = entry.second;
    if (n.unflushed) n.bytes = n.durableBytes;
    n.unflushed = false;
  }
  loaded_.clear();
  for (const std::string& path : restartDeletes) nodes_.erase(key(path));
  restartDeletes.clear();
}

std::uint64_t FakeFileSystem::loadModule(const std::string& path) {
  const Node* n = node(path);
  if (n == nullptr || n->folder) return 0;
  loaded_[n->id] = 1;
  return n->id;
}

bool FakeFileSystem::flushFile(const std::string& path) {
  operations.push_back("flush " + path);
  if (!allowed()) return false;
  Node* n = node(path);
  if (n == nullptr || n->folder) return false;
  n->unflushed = false;
  return true;
}

bool FakeFileSystem::deleteAtRestart(const std::string& path) {
  operations.push_back("delete at restart " + path);
  if (!allowed() || node(path) == nullptr) return false;
  restartDeletes.push_back(path);
  return true;
}

// --- Set-up ---

void FakeFileSystem::addFolder(const std::string& path, std::uint32_t attributes) {
  const std::string parent = parentOf(path);
  if (!parent.empty() && lastBackslash(parent) != std::string::npos && node(parent) == nullptr) {
    addFolder(parent);
  }
  Node n;
  n.path = path;
  n.folder = true;
  n.attributes = attributes | kAttrDirectory;
  n.lastWriteTime = ++clock_;
  n.id = nextId_++;
  nodes_[key(path)] = n;
}

void FakeFileSystem::addFile(const std::string& path, const std::string& bytes,
                             std::uint64_t lastWriteTime, std::uint32_t attributes) {
  const std::string parent = parentOf(path);
  if (lastBackslash(parent) != std::string::npos && node(parent) == nullptr) addFolder(parent);
  Node n;
  n.path = path;
  n.bytes = bytes;
  n.attributes = attributes;
  n.lastWriteTime = lastWriteTime != 0 ? lastWriteTime : ++clock_;
  n.id = nextId_++;
  nodes_[key(path)] = n;
}

void FakeFileSystem::setVersionText(const std::string& path, const std::string& text) {
  if (Node* n = node(path)) {
    n->hasVersion = true;
    n->versionText = text;
  }
}

void FakeFileSystem::setLastWriteTime(const std::string& path, std::uint64_t time) {
  if (Node* n = node(path)) n->lastWriteTime = time;
}

void FakeFileSystem::failCopyPartway(const std::string& source, std::size_t bytesWritten) {
  partialCopies_[key(source)] = bytesWritten;
}

// --- Inspection ---

bool FakeFileSystem::exists(const std::string& path) const { return node(path) != nullptr; }

bool FakeFileSystem::isFolder(const std::string& path) const {
  const Node* n = node(path);
  return n != nullptr && n->folder;
}

std::string FakeFileSystem::contents(const std::string& path) const {
  const Node* n = node(path);
  return n == nullptr ? std::string() : n->bytes;
}

std::vector<std::string> FakeFileSystem::pathsBelow(const std::string& folder) const {
  std::vector<std::string> paths;
  const std::string prefix = key(folder) + "\\";
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    paths.push_back(it->second.path);
  }
  return paths;
}

// --- FileSystemPort ---

bool FakeFileSystem::readFile(const std::string& path, std::string* bytes) {
  const Node* n = node(path);
  if (n == nullptr || n->folder || isLocked(path)) return false;
  *bytes = n->bytes;
  return true;
}

bool FakeFileSystem::writeFile(const std::string& path, const std::string& bytes) {
  operations.push_back("write " + path);
  if (!allowed()) return false;
  if (tooLong(path)) return false;
  Node* n = node(path);
  if (n != nullptr &&
      (n->folder || (n->attributes & kAttrReadOnly) || isLocked(path) || inUse(n))) {
    return false;
  }
  if (n == nullptr) {
    if (!parentIsFolder(path)) return false;
    addFile(path, std::string());
    writeUnflushed(node(path), bytes);
    return true;
  }
  writeUnflushed(n, bytes);
  n->lastWriteTime = ++clock_;
  n->hasVersion = false;
  return true;
}

bool FakeFileSystem::createDirectory(const std::string& path) {
  operations.push_back("mkdir " + path);
  if (!allowed()) return false;
  if (tooLong(path)) return false;
  if (node(path) != nullptr || !parentIsFolder(path)) return false;
  addFolder(path);
  return true;
}

bool FakeFileSystem::removeDirectory(const std::string& path) {
  operations.push_back("rmdir " + path);
  if (!allowed()) return false;
  if (tooLong(path)) return false;
  const Node* n = node(path);
  if (n == nullptr || !n->folder || (n->attributes & kAttrReadOnly) || hasChildren(path)) {
    return false;
  }
  nodes_.erase(key(path));
  return true;
}

bool FakeFileSystem::deleteFile(const std::string& path) {
  operations.push_back("delete " + path);
  if (!allowed()) return false;
  if (tooLong(path)) return false;
  const Node* n = node(path);
  if (n == nullptr || n->folder || (n->attributes & kAttrReadOnly) || isHeldOpen(path) ||
      inUse(n)) {
    return false;
  }
  nodes_.erase(key(path));
  return true;
}

bool FakeFileSystem::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return copyStatus(from, to, failIfExists) == kErrorSuccess;
}

long FakeFileSystem::copyToNewFile(const std::string& from, const std::string& to) {
  return copyStatus(from, to, true);
}

long FakeFileSystem::copyStatus(const std::string& from, const std::string& to,
                                bool failIfExists) {
  operations.push_back("copy " + from + " > " + to);
  if (!allowed()) return kErrorNotReady;
  auto claim = claims_.find(key(to));
  if (claim != claims_.end()) {
    addFile(to, claim->second);
    claims_.erase(claim);
  }
  if (tooLong(from) || tooLong(to)) return kErrorPathNotFound;
  const Node* source = node(from);
  if (source == nullptr || source->folder || isLocked(from) || unreadable_.count(key(from))) {
    return kErrorFileNotFound;
  }
  const Node* target = node(to);
  if (target != nullptr && failIfExists) return kErrorFileExists;
  if (target != nullptr &&
      (target->folder || (target->attributes & kAttrReadOnly) || isLocked(to))) {
    return kErrorAccessDenied;
  }
  if (inUse(target)) return kErrorSharingViolation;
  if (target == nullptr && !parentIsFolder(to)) return kErrorPathNotFound;
  Node copy = *source;
  copy.path = target != nullptr ? target->path : to;
  // The copy's data is on the disk only once flushed.
  copy.id = target != nullptr ? target->id : nextId_++;
  copy.unflushed = true;
  copy.durableBytes = target == nullptr ? std::string()
                      : target->unflushed ? target->durableBytes
                                          : target->bytes;
  auto partial = partialCopies_.find(key(from));
  if (partial != partialCopies_.end()) {
    // The destination is already created and truncated when the data breaks off.
    copy.bytes = source->bytes.substr(0, partial->second);
    copy.attributes = kAttrArchive;
    copy.lastWriteTime = ++clock_;
    copy.hasVersion = false;
    nodes_[key(to)] = copy;
    return kErrorDiskFull;
  }
  nodes_[key(to)] = copy;
  return kErrorSuccess;
}

bool FakeFileSystem::replaceFile(const std::string& from, const std::string& to) {
  operations.push_back("replace " + from + " > " + to);
  if (!allowed()) return false;
  if (tooLong(from) || tooLong(to)) return false;
  const Node* source = node(from);
  if (source == nullptr || source->folder || isHeldOpen(from)) return false;
  const Node* target = node(to);
  if (target != nullptr && (target->folder || (target->attributes & kAttrReadOnly) ||
                         isHeldOpen(to) || inUse(target))) {
    return false;
  }
  if (target == nullptr && !parentIsFolder(to)) return false;
  Node moved = *source;
  moved.path = target != nullptr ? target->path : to;
  nodes_.erase(key(from));
  nodes_[key(to)] = moved;
  return true;
}

long FakeFileSystem::moveFile(const std::string& from, const std::string& to) {
  operations.push_back("move " + from + " > " + to);
  if (!allowed()) return kErrorNotReady;
  if (tooLong(from) || tooLong(to)) return kErrorPathNotFound;
  const Node* source = node(from);
  if (source == nullptr) return kErrorFileNotFound;
  if (node(to) != nullptr) return kErrorAlreadyExists;
  if (!parentIsFolder(to)) return kErrorPathNotFound;
  const std::string prefix = key(from) + "\\";
  std::vector<std::string> moving{key(from)};
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    moving.push_back(it->first);
  }
  for (const std::string& each : moving) {
    if (locked_.count(each) != 0 || sharedOpen_.count(each) != 0) return kErrorSharingViolation;
  }
  for (const std::string& each : moving) {
    Node moved = nodes_[each];
    moved.path = to + moved.path.substr(from.size());
    nodes_.erase(each);
    nodes_[key(moved.path)] = moved;
  }
  return kErrorSuccess;
}

std::uint32_t FakeFileSystem::getAttributes(const std::string& path) {
  if (tooLong(path)) return kInvalidAttributes;
  const Node* n = node(path);
  if (n == nullptr) return kInvalidAttributes;
  return n->attributes == 0 ? static_cast<std::uint32_t>(kAttrNormal) : n->attributes;
}

bool FakeFileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
  char text[16];
  std::snprintf(text, sizeof text, " 0x%X", attributes);
  operations.push_back("attrib " + path + text);
  if (!allowed()) return false;
  if (tooLong(path)) return false;
  Node* n = node(path);
  if (n == nullptr) return false;
  std::uint32_t kept = attributes & ~static_cast<std::uint32_t>(kAttrDirectory | kAttrNormal);
  if (n->folder) kept |= kAttrDirectory;
  n->attributes = kept;
  return true;
}

bool FakeFileSystem::findFile(const std::string& path, FileInfo* info) {
  if (hasWildcard(path)) return false;  // only exact names in this test double
  const Node* n = node(path);
  if (n == nullptr) return false;
  *info = infoOf(*n, nameOf(n->path));
  return true;
}

std::unique_ptr<FileSearch> FakeFileSystem::findFiles(const std::string& pattern,
                                                      FileInfo* first, int* error) {
  auto fault = searchErrors_.find(key(pattern));
  if (fault != searchErrors_.end()) {
    *error = fault->second;
    return nullptr;
  }
  const std::string folder = parentOf(pattern);
  const std::string namePattern = nameOf(pattern);
  std::vector<FileInfo> matches;
  const bool root = lastBackslash(folder) == std::string::npos;
  const Node* folderNode = root ? nullptr : node(folder);
  if (!root && (folderNode == nullptr || !folderNode->folder)) {
    *error = kErrnoNoEntry;
    return nullptr;
  }
  if (!root) {
    if (matchesWildcard(".", namePattern)) matches.push_back(infoOf(*folderNode, "."));
    if (matchesWildcard("..", namePattern)) matches.push_back(infoOf(*folderNode, ".."));
  }
  const std::string prefix = key(folder) + "\\";
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    const std::string rest = it->first.substr(prefix.size());
    if (lastBackslash(rest) != std::string::npos) continue;  // deeper down
    const std::string name = nameOf(it->second.path);
    if (matchesWildcard(name, namePattern)) matches.push_back(infoOf(it->second, name));
  }
  if (matches.empty()) {
    *error = kErrnoNoEntry;
    return nullptr;
  }
  *first = matches.front();
  matches.erase(matches.begin());
  *error = 0;
  return std::make_unique<ListSearch>(std::move(matches));
}

bool FakeFileSystem::fileVersionText(const std::string& path, std::string* text) {
  const Node* n = node(path);
  if (n == nullptr || n->folder || !n->hasVersion || isLocked(path)) return false;
  *text = n->versionText;
  return true;
}

}  // namespace quillet
