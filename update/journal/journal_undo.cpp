#include "update/journal/journal_undo.h"

#include "update/ops/file_placement.h"
#include "update/ops/registry_key.h"

namespace quillet {
namespace {

bool present(FileSystemPort& files, const std::string& path) {
  return files.getAttributes(path) != kInvalidAttributes;
}

// Deletes a file the run made or left aside, read-only or not.
bool deleteOwnFile(FileSystemPort& files, const std::string& path) {
  const std::uint32_t attributes = files.getAttributes(path);
  if (attributes == kInvalidAttributes) return true;
  if ((attributes & kAttrReadOnly) != 0) files.setAttributes(path, kAttrArchive);
  return files.deleteFile(path) || !present(files, path);
}

bool restoreValue(RegistryPort& registry, const std::string& keyPath, const std::string& name,
                  std::uint32_t type, const std::string& data) {
  ScopedKey key(registry);
  if (!key.create(kLocalMachine, keyPath, kKeySetValue)) return false;
  return registry.setValue(key.key(), name, type,
                           reinterpret_cast<const std::uint8_t*>(data.data()),
                           static_cast<std::uint32_t>(data.size())) == kErrorSuccess;
}

}  // namespace

bool undoJournalEntry(const JournalEntry& entry, RegistryPort& registry, FileSystemPort& files) {
  switch (entry.kind) {
    case JournalKind::kFileCreated:
      return deleteOwnFile(files, entry.path);
    case JournalKind::kMovedAside:
      // Not yet moved (or already back): nothing to do. Something standing in
      // the way would be lost by moving over it, so that is left to a person.
      if (!present(files, entry.other)) return true;
      if (present(files, entry.path)) return false;
      return files.moveFile(entry.other, entry.path) == kErrorSuccess;
    case JournalKind::kCopiedAside: {
      if (!present(files, entry.other)) return true;
      const std::uint32_t attributes = files.getAttributes(entry.path);
      if (attributes != kInvalidAttributes && (attributes & kAttrReadOnly) != 0) {
        files.setAttributes(entry.path, attributes & ~static_cast<std::uint32_t>(kAttrReadOnly));
      }
      if (!files.copyFile(entry.other, entry.path, false)) return false;
      files.flushFile(entry.path);
      return deleteOwnFile(files, entry.other);
    }
    case JournalKind::kAttributesChanged:
      if (!present(files, entry.path)) return true;
      return files.setAttributes(entry.path, entry.number);
    case JournalKind::kFolderCreated:
      if (!present(files, entry.path)) return true;
      return files.removeDirectory(entry.path) || !present(files, entry.path);
    case JournalKind::kKeyCreated: {
      const long status = registry.deleteKey(kLocalMachine, entry.path);
      return status == kErrorSuccess || status == kErrorFileNotFound;
    }
    case JournalKind::kValueChanged: {
      if (entry.number == 1) {
        return restoreValue(registry, entry.path, entry.other, entry.type, entry.data);
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
        if (!restoreValue(registry, entry.path, value.name, value.type, value.data)) return false;
      }
      return true;
    }
    case JournalKind::kServiceStopped:
      return true;  // services are started by the run, or by the recovery
  }
  return false;
}

bool finishJournalEntry(const JournalEntry& entry, FileSystemPort& files,
                        const CodePage& codePage) {
  if (entry.kind != JournalKind::kMovedAside && entry.kind != JournalKind::kCopiedAside) {
    return true;
  }
  const std::uint32_t attributes = files.getAttributes(entry.other);
  if (attributes == kInvalidAttributes) return true;
  if ((attributes & kAttrDirectory) != 0) {
    deleteTree(entry.other, files, codePage);
    return !present(files, entry.other);
  }
  return deleteOwnFile(files, entry.other);
}

}  // namespace quillet
