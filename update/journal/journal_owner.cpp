#include "update/journal/journal_owner.h"

#include "update/journal/journal_store.h"
#include "update/ops/registry_key.h"

namespace quillet {
namespace {

const char kOwnerValue[] = "Owner";
constexpr std::uint32_t kOwnerBytes = 12;  // id (4), creation time (8), little-endian

}  // namespace

JournalOwner currentJournalOwner(ProcessesPort& processes) {
  JournalOwner owner;
  owner.processId = processes.ownProcessId();
  if (processes.lookUpProcess(owner.processId, &owner.creationTime) !=
      ProcessesPort::Lookup::kRunning) {
    owner.creationTime = 0;
  }
  return owner;
}

bool writeJournalOwner(RegistryPort& registry, RegKey hive, const JournalOwner& owner) {
  std::uint8_t bytes[kOwnerBytes];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(owner.processId >> (8 * i));
  for (int i = 0; i < 8; ++i) {
    bytes[4 + i] = static_cast<std::uint8_t>(owner.creationTime >> (8 * i));
  }
  ScopedKey key(registry);
  return key.create(hive, kJournalKeyPath, kKeySetValue) &&
         registry.setValue(key.key(), kOwnerValue, kRegBinary, bytes, kOwnerBytes) ==
             kErrorSuccess &&
         registry.flushKey(key.key()) == kErrorSuccess;
}

bool readJournalOwner(RegistryPort& registry, RegKey hive, JournalOwner* owner) {
  ScopedKey key(registry);
  if (!key.open(hive, kJournalKeyPath, kKeyQueryValue)) return false;
  std::uint8_t bytes[kOwnerBytes] = {};
  std::uint32_t type = 0;
  std::uint32_t size = kOwnerBytes;
  if (registry.queryValue(key.key(), kOwnerValue, &type, bytes, &size) != kErrorSuccess ||
      type != kRegBinary || size != kOwnerBytes) {
    return false;
  }
  *owner = JournalOwner();
  for (int i = 0; i < 4; ++i) owner->processId |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  for (int i = 0; i < 8; ++i) {
    owner->creationTime |= static_cast<std::uint64_t>(bytes[4 + i]) << (8 * i);
  }
  return true;
}

bool journalOwnerRuns(ProcessesPort& processes, const JournalOwner& owner) {
  // This very process is no other run (its journal is never on the disk
  // before it looks).
  const JournalOwner self = currentJournalOwner(processes);
  if (owner.processId == self.processId && owner.creationTime == self.creationTime) return false;
  std::uint64_t creationTime = 0;
  switch (processes.lookUpProcess(owner.processId, &creationTime)) {
    case ProcessesPort::Lookup::kNotRunning:
      return false;
    case ProcessesPort::Lookup::kNotAccessible:
      return true;
    case ProcessesPort::Lookup::kRunning:
      break;
  }
  // An owner whose own time was unknown cannot be told from a later process
  // of its id: that one counts as the owner.
  return owner.creationTime == 0 || creationTime == owner.creationTime;
}

bool machineJournalRefused(RegistryPort& registry) {
  RegKey key = 0;
  const long status = registry.createKey(kLocalMachine, kJournalKeyPath, kKeySetValue, &key);
  if (status == kErrorSuccess) registry.closeKey(key);
  return status == kErrorAccessDenied;
}

std::string journalKeyName(RegKey hive) {
  return std::string(hive == kCurrentUser ? "HKCU\\" : "HKLM\\") + kJournalKeyPath;
}

}  // namespace quillet
