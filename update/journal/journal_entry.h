#pragma once
// One change of an update run as the journal keeps it: what the machine held
// before the change (its before-image), enough to put it back or, once the
// run has committed, to clear away what it left aside.
#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

enum class JournalKind : std::uint8_t {
  kFileCreated = 1,        // path did not exist; undo deletes it
  kMovedAside = 2,         // path (file or folder) renamed to `other`; undo renames it back
  kCopiedAside = 3,        // path copied to `other` (could not be renamed); undo copies it back
  kAttributesChanged = 4,  // path had the attributes `number`
  kFolderCreated = 5,      // path did not exist; undo removes the folder
  kKeyCreated = 6,         // key path below HKLM did not exist; undo deletes it
  kValueChanged = 7,       // value `other` of key path: number 1 = it held `data` of type
                           // `type`, 0 = it was absent
  kKeyDeleted = 8,         // key path held `values` (and no subkeys); undo makes it again
  kServiceStopped = 9,     // service path was stopped; number 1 = the run starts it again
};

struct JournalValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

struct JournalEntry {
  JournalKind kind = JournalKind::kFileCreated;
  std::string path;
  std::string other;
  std::uint32_t number = 0;
  std::uint32_t type = 0;
  std::string data;
  std::vector<JournalValue> values;
};

// The bytes of one journal record (little-endian lengths, raw texts).
std::string encodeJournalEntry(const JournalEntry& entry);
// False when the bytes are not a whole record of a known kind.
bool decodeJournalEntry(const std::string& bytes, JournalEntry* entry);

}  // namespace quillet
