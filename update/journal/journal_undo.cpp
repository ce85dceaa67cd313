#include "update/journal/journal_undo.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "update/ops/file_placement.h"
#include "update/ops/registry_key.h"

namespace quillet {
namespace {

// Deletes a file the run made or left aside, read-only or not.
bool deleteOwnFile(FileSystemPort& files, const std::string& path) {
  const std::uint32_t attributes = files.getAttributes(path);
  if (attributes == kInvalidAttributes) return true;
  if ((attributes & kAttrReadOnly) != 0) files.setAttributes(path, kAttrArchive);
  return files.deleteFile(path) || !pathPresent(files, path);
}

// name is exact (as the exact registry calls take it) when exact is.
bool restoreValue(RegistryPort& registry, const std::string& keyPath, const std::string& name,
                  std::uint32_t type, const std::string& data, bool exact) {
  ScopedKey key(registry);
  if (!key.create(kLocalMachine, keyPath, kKeySetValue)) return false;
  if (exact) return registry.setExactValue(key.key(), name, type, data) == kErrorSuccess;
  return registry.setValue(key.key(), name, type,
                           reinterpret_cast<const std::uint8_t*>(data.data()),
                           static_cast<std::uint32_t>(data.size())) == kErrorSuccess;
}

// Whether the copy kept aside is whole: the size and digest the journal
// recorded of the target before the copy was made. A copy from a tool that
// recorded none is trusted, as that tool did.
bool wholeCopy(FileSystemPort& files, const JournalEntry& entry) {
  if (entry.data.empty()) return true;
  std::string stamp;
  return stampFile(files, entry.other, &stamp) && stamp == entry.data;
}

}  // namespace

bool stampFile(FileSystemPort& files, const std::string& path, std::string* stamp) {
  long error = 0;
  std::unique_ptr<FileReading> reading = files.openToRead(path, &error);
  if (!reading) return false;
  std::vector<char> piece(64 * 1024);
  std::uint64_t size = 0;
  std::uint32_t state = 0xFFFFFFFFu;
  for (std::size_t got = 0;; size += got) {
    if (!reading->read(piece.data(), piece.size(), &got)) return false;
    if (got == 0) break;
    state = crc32Update(state, piece.data(), got);
  }
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(~state));
  *stamp = std::to_string(size) + " " + crc;
  return true;
}

bool undoJournalEntry(const JournalEntry& entry, RegistryPort& registry, FileSystemPort& files) {
  switch (entry.kind) {
    case JournalKind::kFileCreated:
      if (entry.number != 1) return deleteOwnFile(files, entry.path);
      // Renamed aside while in use: deleted now, or when the system restarts.
      return deleteOwnFile(files, entry.path) &&
             (deleteOwnFile(files, entry.other) || files.deleteAtRestart(entry.other));
    case JournalKind::kMovedAside:
      // Not yet moved (or already back): nothing to do. Something standing in
      // the way would be lost by moving over it, so that is left to a person.
      if (!pathPresent(files, entry.other)) return true;
      if (pathPresent(files, entry.path)) return false;
      return files.moveFile(entry.other, entry.path) == kErrorSuccess;
    case JournalKind::kCopiedAside: {
      if (!pathPresent(files, entry.other)) return true;
      // A copy cut short was made before the target was touched: it is
      // deleted, never copied back.
      if (!wholeCopy(files, entry)) return deleteOwnFile(files, entry.other);
      const std::uint32_t attributes = files.getAttributes(entry.path);
      if (attributes != kInvalidAttributes && (attributes & kAttrReadOnly) != 0) {
        files.setAttributes(entry.path, attributes & ~static_cast<std::uint32_t>(kAttrReadOnly));
      }
      if (!files.copyFile(entry.other, entry.path, false) || !files.flushFile(entry.path)) {
        return false;
      }
      return deleteOwnFile(files, entry.other);
    }
    case JournalKind::kAttributesChanged:
      if (!pathPresent(files, entry.path)) return true;
      return files.setAttributes(entry.path, entry.number);
    case JournalKind::kFolderCreated:
      if (!pathPresent(files, entry.path)) return true;
      return files.removeDirectory(entry.path) || !pathPresent(files, entry.path);
    case JournalKind::kKeyCreated: {
      const long status = registry.deleteKey(kLocalMachine, entry.path);
      return status == kErrorSuccess || status == kErrorFileNotFound;
    }
    case JournalKind::kValueChanged: {
      if (entry.number == 1) {
        return restoreValue(registry, entry.path,
                            entry.exact ? registry.exactName(entry.other) : entry.other,
                            entry.type, entry.data, entry.exact);
      }
      ScopedKey key(registry);
      if (!key.open(kLocalMachine, entry.path, kKeySetValue)) return true;  // key gone: so is it
      const long status = registry.deleteValue(key.key(), entry.other);
      return status == kErrorSuccess || status == kErrorFileNotFound;
    }
    case JournalKind::kKeyDeleted: {
      ScopedKey key(registry);
      if (!key.create(kLocalMachine, entry.path, kKeySetValue)) return false;
      for (const JournalValue& value : entry.values) {
        if (!restoreValue(registry, entry.path, value.name, value.type, value.data,
                          entry.exact)) return false;
      }
      return true;
    }
    case JournalKind::kServiceStopped:
    case JournalKind::kProcessListed:
      return true;  // the put-back stops and starts services, and ends processes
  }
  return false;
}

bool finishJournalEntry(const JournalEntry& entry, FileSystemPort& files,
                        const CodePage& codePage) {
  // A temporary the run could not delete itself goes with the commit.
  const bool temporary = entry.kind == JournalKind::kFileCreated && entry.type == kTemporaryFile;
  if (entry.kind != JournalKind::kMovedAside && entry.kind != JournalKind::kCopiedAside &&
      !temporary) {
    return true;
  }
  const std::string& path = temporary ? entry.path : entry.other;
  const std::uint32_t attributes = files.getAttributes(path);
  if (attributes == kInvalidAttributes) return true;
  if ((attributes & kAttrDirectory) != 0) {
    deleteTree(path, files, codePage);
    return !pathPresent(files, path);
  }
  // One still in use (a module loaded from it) goes when the system restarts.
  return deleteOwnFile(files, path) || files.deleteAtRestart(path);
}

}  // namespace quillet
