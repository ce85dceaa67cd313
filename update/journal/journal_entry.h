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
  kProcessListed = 10,     // the run ends processes named like path before it changes files;
                           // so does a rollback or recovery of it
};
// kCopiedAside: data holds the size and CRC-32 of the target as it was
// (decimal size, a space, 8 hex digits), recorded before the copy aside is
// made; the copy counts only when it matches.
// kFileCreated: type kTemporaryFile = a temporary copy, deleted with the
// commit if still there; number 1 = the file was in use when the run put it back and
// was renamed to `other`, to be deleted when it is free (or at restart).

enum : std::uint32_t { kTemporaryFile = 1 };

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
  // kValueChanged, kKeyDeleted: the before-image was read with the exact
  // registry calls (value names of kKeyDeleted and data as the registry holds
  // them) and is written back with them. Stored as kinds of their own, so
  // that records written before keep their meaning.
  bool exact = false;
};

// The format of the records this tool writes. A record: "QJ", the format
// byte, the entry (little-endian lengths, raw texts), and the CRC-32 of all
// that before it. Records of the first tools had no header and no checksum
// (format 0); they are still read.
constexpr std::uint8_t kJournalFormat = 1;

enum class JournalDecode {
  kWhole,          // a whole record of a known format and kind
  kCutShort,       // not a whole record: cut short, or damaged
  kUnknownFormat,  // written by a newer tool (a format or kind this one does not know)
};

// The CRC-32 (IEEE) of the first size bytes.
std::uint32_t crc32(const std::string& bytes, std::size_t size);
// One more piece into a running CRC-32: start with 0xFFFFFFFF, and the CRC
// is the complement of the last state.
std::uint32_t crc32Update(std::uint32_t state, const char* data, std::size_t size);

// The bytes of one journal record.
std::string encodeJournalEntry(const JournalEntry& entry);
JournalDecode decodeJournalRecord(const std::string& bytes, JournalEntry* entry);
// True for a whole record.
bool decodeJournalEntry(const std::string& bytes, JournalEntry* entry);

}  // namespace quillet
