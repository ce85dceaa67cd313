#pragma once
// Where the journal of an update run lives: the key "UpdateJournal" under the
// product's key, one REG_BINARY value per change ("00000001", ...) and the
// DWORD "State". Every later start of the tool finds it there, from any
// media, before it knows anything else about the product. Each write is
// flushed to the disk (RegFlushKey) before the change it covers is made.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "update/journal/journal_entry.h"
#include "update/ports/registry_port.h"

namespace quillet {

extern const char kJournalKeyPath[];  // "SOFTWARE\norvane\Plexor\UpdateJournal"

enum : std::uint32_t { kJournalOpen = 1, kJournalCommitted = 2 };

struct StoredEntry {
  std::uint32_t number = 0;  // its place in the run's order
  bool readable = false;     // false: the bytes are not a whole record
  JournalDecode decoded = JournalDecode::kCutShort;
  bool unsure = false;  // its write failed, so its change was never made; it
                        // may still reach the disk with a later flush
  JournalEntry entry;
};

class JournalStore {
 public:
  // root: the hive the journal key lies in (the machine's, or the user's for
  // a run whose user may not write the product key).
  explicit JournalStore(RegistryPort& registry, RegKey root = kLocalMachine)
      : registry_(registry), root_(root) {}
  RegKey root() const { return root_; }
  void moveTo(RegKey root) { root_ = root; }

  // An existing journal: its state and its entries in the run's order; false
  // when there is none. *whole (when given) is false when the values could
  // not all be read (the list is then short).
  bool load(std::uint32_t* state, std::vector<StoredEntry>* entries, bool* whole = nullptr);
  // Makes the key with State = open; false when it cannot be written.
  bool create();
  // Writes the entry as number (flushed); false when it cannot be written.
  bool write(std::uint32_t number, const JournalEntry& entry);
  bool drop(std::uint32_t number);
  bool setState(std::uint32_t state);
  // Deletes every value and the key itself; true when the journal is gone.
  bool erase();

 private:
  bool writeValue(const std::string& name, std::uint32_t type, const std::string& bytes);
  RegistryPort& registry_;
  RegKey root_;
};

}  // namespace quillet
