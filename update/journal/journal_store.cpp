#include "update/journal/journal_store.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "update/ops/registry_key.h"

namespace quillet {

const char kJournalKeyPath[] = "SOFTWARE\\norvane\\Plexor\\UpdateJournal";

namespace {

const char kStateValue[] = "State";
constexpr std::uint32_t kNameBytes = 16383;  // the registry's longest value name

std::string entryName(std::uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "%08u", static_cast<unsigned>(number));
  return name;
}

bool isEntryName(const std::string& name) {
  return name.size() == 8 && std::all_of(name.begin(), name.end(), [](char c) {
           return c >= '0' && c <= '9';
         });
}

}  // namespace

bool JournalStore::load(std::uint32_t* state, std::vector<StoredEntry>* entries, bool* whole) {
  if (whole != nullptr) *whole = true;
  ScopedKey key(registry_);
  if (!key.open(root_, kJournalKeyPath, kKeyRead)) return false;
  std::uint32_t type = 0;
  std::uint8_t stateBytes[4] = {};
  std::uint32_t size = sizeof stateBytes;
  *state = kJournalOpen;  // a key without a readable state was never committed
  if (registry_.queryValue(key.key(), kStateValue, &type, stateBytes, &size) == kErrorSuccess &&
      type == kRegDword && size == 4) {
    *state = stateBytes[0] | stateBytes[1] << 8 | stateBytes[2] << 16 |
             static_cast<std::uint32_t>(stateBytes[3]) << 24;
  }
  entries->clear();
  std::vector<std::uint8_t> data(4096);
  std::vector<char> name(kNameBytes + 1);
  for (std::uint32_t index = 0;;) {
    std::uint32_t nameSize = kNameBytes + 1;
    std::uint32_t dataSize = static_cast<std::uint32_t>(data.size());
    const long status =
        registry_.enumValue(key.key(), index, name.data(), &nameSize, &type, data.data(),
                            &dataSize);
    if (status == kErrorMoreData && data.size() < (64u << 20)) {
      data.resize(std::max<std::size_t>(data.size() * 2, dataSize));
      continue;  // the same index again with room for its data
    }
    if (status != kErrorSuccess) {
      if (status != kErrorNoMoreItems && whole != nullptr) *whole = false;
      break;
    }
    ++index;
    const std::string valueName(name.data(), nameSize);
    if (!isEntryName(valueName)) continue;
    StoredEntry stored;
    stored.number = static_cast<std::uint32_t>(std::strtoul(valueName.c_str(), nullptr, 10));
    stored.decoded = decodeJournalRecord(
        std::string(reinterpret_cast<const char*>(data.data()), dataSize), &stored.entry);
    stored.readable = stored.decoded == JournalDecode::kWhole;
    entries->push_back(stored);
  }
  std::sort(entries->begin(), entries->end(),
            [](const StoredEntry& a, const StoredEntry& b) { return a.number < b.number; });
  return true;
}

bool JournalStore::writeValue(const std::string& name, std::uint32_t type,
                              const std::string& bytes) {
  ScopedKey key(registry_);
  if (!key.create(root_, kJournalKeyPath, kKeySetValue)) return false;
  if (registry_.setValue(key.key(), name, type,
                         reinterpret_cast<const std::uint8_t*>(bytes.data()),
                         static_cast<std::uint32_t>(bytes.size())) != kErrorSuccess) {
    return false;
  }
  return registry_.flushKey(key.key()) == kErrorSuccess;
}

bool JournalStore::create() { return setState(kJournalOpen); }

bool JournalStore::write(std::uint32_t number, const JournalEntry& entry) {
  return writeValue(entryName(number), kRegBinary, encodeJournalEntry(entry));
}

bool JournalStore::setState(std::uint32_t state) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(state >> shift));
  return writeValue(kStateValue, kRegDword, bytes);
}

bool JournalStore::drop(std::uint32_t number) {
  ScopedKey key(registry_);
  if (!key.open(root_, kJournalKeyPath, kKeySetValue)) return false;
  const long status = registry_.deleteValue(key.key(), entryName(number));
  if (status != kErrorSuccess && status != kErrorFileNotFound) return false;
  return registry_.flushKey(key.key()) == kErrorSuccess;
}

bool JournalStore::erase() {
  // The entries go first and the state last: a journal cut short here still
  // has its state, and one without entries has nothing left to do.
  std::uint32_t state = 0;
  std::vector<StoredEntry> entries;
  if (!load(&state, &entries)) return true;
  for (const StoredEntry& stored : entries) {
    if (!drop(stored.number)) return false;
  }
  const long status = registry_.deleteKey(root_, kJournalKeyPath);
  if (status != kErrorSuccess && status != kErrorFileNotFound) return false;
  // Gone for good only once on the disk.
  ScopedKey parent(registry_);
  return parent.open(root_, "SOFTWARE\\norvane\\Plexor", kKeyRead) &&
         registry_.flushKey(parent.key()) == kErrorSuccess;
}

}  // namespace quillet
