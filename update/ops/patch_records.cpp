#include "update/ops/patch_records.h"

#include <cstdint>
#include <cstring>

#include "update/ops/registry_edits.h"
#include "update/ops/registry_key.h"

namespace quillet {

const char kPatchKeyPath[] = "SOFTWARE\\norvane\\Plexor\\Update";

namespace {

// Patch values are written without their terminating NUL in the count.
void writeTextWithoutNul(RegistryPort& registry, RegKey key, const char* name,
                         const std::string& text) {
  registry.setValue(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.data()),
                    static_cast<std::uint32_t>(text.size()));
}

bool selectsForDeletion(const PatchDeleteEntry& entry, const std::string& patchKey) {
  switch (entry.deleteMode) {
    case kPatchDeleteAll:
      return true;
    case kPatchDeleteById:
      return entry.patchId == patchKey;  // as text: "0100" is not "100"
    case kPatchDeleteUpTo:
      return runtimeAtol(patchKey) <= runtimeAtol(entry.patchId);
    default:
      return false;
  }
}

}  // namespace

int writePatchRecords(const UpdateJob& job, RegistryPort& registry) {
  for (int i = 0; i < job.patchInfoEntryCount; ++i) {
    const PatchInfoEntry& entry = job.patchInfoEntries[i];
    ScopedKey updateKey(registry);
    if (!updateKey.create(kLocalMachine, kPatchKeyPath, kKeyWrite)) continue;
    ScopedKey patchKey(registry);
    const bool opened = patchKey.create(updateKey.key(), entry.patchId, kKeyWrite);
    updateKey.close();
    if (!opened) continue;
    writeTextWithoutNul(registry, patchKey.key(), "Title", entry.patchName);
    writeTextWithoutNul(registry, patchKey.key(), "Date", entry.date);
    writeTextWithoutNul(registry, patchKey.key(), "Time", entry.time);
  }
  return 1;
}

int deletePatchRecords(const UpdateJob& job, RegistryPort& registry) {
  ScopedKey updateKey(registry);
  if (!updateKey.open(kLocalMachine, kPatchKeyPath, kKeyAllAccess)) return 0;
  std::uint32_t count = 0;
  if (registry.querySubKeyCount(updateKey.key(), &count) != kErrorSuccess) return 0;
  const bool complete =
      visitSubKeysFromLast(registry, updateKey.key(), count, [&](const std::string& patchKey) {
        for (int i = 0; i < job.patchDeleteEntryCount; ++i) {
          if (selectsForDeletion(job.patchDeleteEntries[i], patchKey)) {
            registry.deleteKey(updateKey.key(), patchKey);
            break;
          }
        }
      });
  return complete ? 1 : 0;
}

}  // namespace quillet
