#pragma once
// In-memory file system for native tests, with the Win32 behaviour the update
// tool depends on:
//  - paths compare without regard to the case of ASCII letters (cp932 texts:
//    trail bytes are neither folded nor taken for backslashes);
//  - a folder is created only when its parent exists; files need an existing
//    folder;
//  - read-only files cannot be written, deleted, replaced or copied onto;
//    read-only folders cannot be removed;
//  - copies carry the source's attributes, last-write time and version text;
//  - a locked file (held open by another program without sharing) cannot be
//    read, written, deleted, replaced or renamed;
//  - a file held open with read and write sharing (but not delete sharing)
//    can be read and overwritten in place, but not deleted, replaced or
//    renamed;
//  - a module loaded by a running program (loadModule) cannot be deleted,
//    written, copied onto or replaced, but can be renamed (it stays loaded
//    under its new name);
//  - paths longer than 259 bytes fail, as with the ANSI file functions;
//  - findFiles matches * and ? case-insensitively ("*.*" matches every name)
//    and returns "." and ".." for a non-root folder when they match, as the
//    run-time search does; names in name order.
// Durability: the data a write or copy puts into a file reaches the disk
// only with flushFile; a power cut (see ChangeGate) gives every file the
// data it had at its last flush (a new file never flushed comes back empty).
// Names (create, delete, rename, attributes) are written through: renames
// by contract of the port, the rest as the file system's own log keeps
// them. The power back is a restart: no module is loaded any more, and the
// files given to deleteAtRestart are deleted.
// Faults: a copy from a given source that fails after writing part of the
// data, a search that fails with a given errno, and (through the gate) a
// flush that fails.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/change_gate.h"
#include "update/ports/files_port.h"

namespace quillet {

class FakeFileSystem : public FileSystemPort {
 public:
  // --- FileSystemPort ---
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
  // A file or a whole folder renamed; refused for a name that exists and for
  // anything held open.
  long moveFile(const std::string& from, const std::string& to) override;
  bool flushFile(const std::string& path) override;
  bool deleteAtRestart(const std::string& path) override;

  // Counts (and can refuse) every change.
  ChangeGate* gate = nullptr;

  // --- Set-up (parents are created as needed) ---
  void addFolder(const std::string& path, std::uint32_t attributes = kAttrDirectory);
  void addFile(const std::string& path, const std::string& bytes, std::uint64_t lastWriteTime = 0,
               std::uint32_t attributes = kAttrArchive);
  void setVersionText(const std::string& path, const std::string& text);
  void setLastWriteTime(const std::string& path, std::uint64_t time);
  void lock(const std::string& path) { locked_[key(path)] = true; }
  void unlock(const std::string& path) { locked_.erase(key(path)); }
  void holdOpenSharingWrite(const std::string& path) { sharedOpen_[key(path)] = true; }
  // Copies from this source write `bytesWritten` bytes of the data to the
  // destination and then fail (a full disk, a source that breaks off).
  void failCopyPartway(const std::string& source, std::size_t bytesWritten);
  // Copies from this source fail before the destination is touched.
  void failCopyFrom(const std::string& source) { unreadable_[key(source)] = true; }
  // Another program creates this file with these bytes just before the next
  // copy onto its name (a race between looking and copying).
  void claimBeforeCopy(const std::string& path, const std::string& bytes) {
    claims_[key(path)] = bytes;
  }
  // A running program loads the file as a module: an id for unloadModule
  // (0 when there is no such file). The module follows its file's renames.
  std::uint64_t loadModule(const std::string& path);
  void unloadModule(std::uint64_t id) { loaded_.erase(id); }
  // The identity of the file at path (what loadModule gives); 0 when missing.
  std::uint64_t idOf(const std::string& path) const {
    const Node* n = node(path);
    return n == nullptr ? 0 : n->id;
  }
  // Files to be deleted at the next restart, as given.
  std::vector<std::string> restartDeletes;
  // findFiles on exactly this pattern fails with the errno.
  void failSearch(const std::string& pattern, int error) { searchErrors_[key(pattern)] = error; }

  // --- Inspection ---
  bool exists(const std::string& path) const;
  bool isFolder(const std::string& path) const;
  std::string contents(const std::string& path) const;  // empty when missing
  // Every path below the folder (not the folder itself), in name order.
  std::vector<std::string> pathsBelow(const std::string& folder) const;
  // Mutating calls in order: "copy A > B", "replace A > B", "delete P",
  // "rmdir P", "mkdir P", "write P", "attrib P 0x20".
  std::vector<std::string> operations;

 private:
  struct Node {
    std::string path;  // as first given
    bool folder = false;
    std::string bytes;
    std::uint32_t attributes = 0;
    std::uint64_t lastWriteTime = 0;
    bool hasVersion = false;
    std::string versionText;
    std::uint64_t id = 0;
    bool unflushed = false;    // bytes not yet on the disk
    std::string durableBytes;  // what the disk holds while unflushed
  };
  static std::string key(const std::string& path);
  static std::string parentOf(const std::string& path);
  static std::string nameOf(const std::string& path);
  Node* node(const std::string& path);
  const Node* node(const std::string& path) const;
  bool parentIsFolder(const std::string& path) const;
  bool isLocked(const std::string& path) const { return locked_.count(key(path)) != 0; }
  bool isHeldOpen(const std::string& path) const {
    return isLocked(path) || sharedOpen_.count(key(path)) != 0;
  }
  bool hasChildren(const std::string& path) const;
  bool allowed();
  bool inUse(const Node* n) const { return n != nullptr && loaded_.count(n->id) != 0; }
  // New bytes of a file, on the disk only at its next flush.
  static void writeUnflushed(Node* n, const std::string& bytes);
  void powerBack();
  ChangeGate* watched_ = nullptr;
  std::map<std::uint64_t, int> loaded_;
  std::uint64_t nextId_ = 1;
  FileInfo infoOf(const Node& n, const std::string& name) const;

  std::map<std::string, Node> nodes_;  // by folded path
  std::map<std::string, bool> locked_;
  std::map<std::string, bool> sharedOpen_;
  std::map<std::string, std::size_t> partialCopies_;
  std::map<std::string, bool> unreadable_;
  std::map<std::string, int> searchErrors_;
  std::map<std::string, std::string> claims_;
  long copyStatus(const std::string& from, const std::string& to, bool failIfExists);
  std::uint64_t clock_ = 0x01C0000000000000ull;  // last-write time of new files
};

// Run-time wildcard match (* and ?), case-insensitive for ASCII letters;
// "*.*" matches every name.
bool matchesWildcard(const std::string& name, const std::string& pattern);

}  // namespace quillet
