#include "update/journal/journal_ports.h"

#include <vector>

#include "update/journal/journal_undo.h"
#include "update/ops/registry_key.h"
#include "update/text/mbcs_text.h"

namespace quillet {
namespace {

constexpr long kErrorNotReadyStatus = kErrorNotReady;

bool absentStatus(long status) {
  return status == kErrorFileNotFound || status == kErrorPathNotFound;
}

// The key path's prefixes, one per level ("A", "A\B", ...); backslashes that
// are trail bytes of two-byte characters do not split.
std::vector<std::string> keyLevels(const std::string& path, const CodePage& codePage) {
  std::vector<std::string> levels;
  std::string current;
  for (std::size_t at = 0; at < path.size(); ++at) {
    const unsigned char byte = static_cast<unsigned char>(path[at]);
    if (codePage.isLeadByte(byte) && at + 1 < path.size()) {
      current += path.substr(at, 2);
      ++at;
      continue;
    }
    if (path[at] == '\\') {
      if (!current.empty() && current.back() != '\\') levels.push_back(current);
      if (!current.empty()) current += '\\';
      continue;
    }
    current += path[at];
  }
  while (!current.empty() && current.back() == '\\') current.pop_back();
  if (!current.empty() && (levels.empty() || levels.back() != current)) levels.push_back(current);
  return levels;
}

class JournalServiceHandle : public ServiceHandle {
 public:
  JournalServiceHandle(std::unique_ptr<ServiceHandle> inner, std::string name,
                       UpdateJournal& journal)
      : inner_(std::move(inner)), name_(std::move(name)), journal_(journal) {}
  bool control(std::uint32_t code) override {
    if (code == kServiceControlStop && journal_.isOpen()) {
      JournalEntry entry;
      entry.kind = JournalKind::kServiceStopped;
      entry.path = name_;
      entry.number = journal_.restartsService(name_) ? 1 : 0;
      if (!journal_.record(entry)) return false;
    }
    return inner_->control(code);
  }
  bool queryStatus(ServiceStatus* status) override { return inner_->queryStatus(status); }
  bool start() override { return inner_->start(); }
  std::vector<std::string> activeDependents() override { return inner_->activeDependents(); }

 private:
  std::unique_ptr<ServiceHandle> inner_;
  std::string name_;
  UpdateJournal& journal_;
};

class JournalServiceManager : public ServiceManager {
 public:
  JournalServiceManager(std::unique_ptr<ServiceManager> inner, UpdateJournal& journal)
      : inner_(std::move(inner)), journal_(journal) {}
  std::unique_ptr<ServiceHandle> openService(const std::string& name) override {
    std::unique_ptr<ServiceHandle> service = inner_->openService(name);
    if (!service) return nullptr;
    return std::make_unique<JournalServiceHandle>(std::move(service), name, journal_);
  }

 private:
  std::unique_ptr<ServiceManager> inner_;
  UpdateJournal& journal_;
};

}  // namespace

// --- files ---

bool JournalFiles::failed(const std::string& why) {
  journal_.fail(why);
  return false;
}

long JournalFiles::moveAside(const std::string& path) {
  const std::string aside = journal_.asideName(path);
  if (aside.empty()) return kErrorFileExists;
  JournalEntry entry;
  entry.kind = JournalKind::kMovedAside;
  entry.path = path;
  entry.other = aside;
  if (!journal_.record(entry)) return kErrorNotReadyStatus;
  const long status = inner_.moveFile(path, aside);
  if (status != kErrorSuccess) {
    journal_.dropLast();
    return status;
  }
  journal_.markSetAside(aside);
  return kErrorSuccess;
}

bool JournalFiles::makeRoomFor(const std::string& path) {
  if (!journalling() || journal_.madeByRun(path)) return true;
  if (present(path) && moveAside(path) != kErrorSuccess) {
    return failed("cannot set aside " + path);
  }
  JournalEntry entry;
  entry.kind = JournalKind::kFileCreated;
  entry.path = path;
  if (!journal_.record(entry)) return false;
  journal_.markMade(path);
  return true;
}

bool JournalFiles::folderMissing(const std::string& path) {
  const std::string folder = folderOf(path, std::string(), journal_.codePage());
  return !folder.empty() && !present(folder);
}

bool JournalFiles::writeFile(const std::string& path, const std::string& bytes) {
  if (!journalling()) return inner_.writeFile(path, bytes);
  if (!makeRoomFor(path)) return false;
  if (!inner_.writeFile(path, bytes)) {
    // A shortcut into a folder that does not exist is left out, as always.
    return folderMissing(path) ? false : failed("cannot write " + path);
  }
  return inner_.flushFile(path) || failed("cannot write " + path + " through");
}

bool JournalFiles::createDirectory(const std::string& path) {
  if (!journalling() || present(path)) return inner_.createDirectory(path);
  JournalEntry entry;
  entry.kind = JournalKind::kFolderCreated;
  entry.path = path;
  if (!journal_.record(entry)) return false;
  if (!inner_.createDirectory(path)) return failed("cannot create folder " + path);
  journal_.markMade(path);
  return true;
}

bool JournalFiles::removeDirectory(const std::string& path) {
  if (!journalling() || journal_.madeByRun(path) || !present(path)) {
    return inner_.removeDirectory(path);
  }
  if (journal_.isSetAside(path)) return true;
  return moveAside(path) == kErrorSuccess || failed("cannot remove folder " + path);
}

bool JournalFiles::deleteFile(const std::string& path) {
  if (!journalling() || journal_.madeByRun(path) || !present(path)) {
    return inner_.deleteFile(path);
  }
  // A file set aside by this run stays until the commit, whoever asks.
  if (journal_.isSetAside(path)) return true;
  return moveAside(path) == kErrorSuccess || failed("cannot remove " + path);
}

bool JournalFiles::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
  if (!journalling() || (failIfExists && present(to))) {
    return inner_.copyFile(from, to, failIfExists);
  }
  if (present(to) && !journal_.madeByRun(to)) {
    const long status = moveAside(to);
    if (status != kErrorSuccess) {
      // A file held open with write sharing cannot be renamed, yet can be
      // overwritten in place: only then is a second copy kept.
      if (status != kErrorSharingViolation && status != kErrorAccessDenied) {
        return failed("cannot set aside " + to);
      }
      // The entry records what the copy must hold: a copy cut short (a
      // full disk, a cut) is deleted by the undo, never copied back.
      JournalEntry entry;
      entry.kind = JournalKind::kCopiedAside;
      entry.path = to;
      entry.other = journal_.asideName(to);
      if (entry.other.empty() || !stampFile(inner_, to, &entry.data)) {
        return failed("cannot keep a copy of " + to);
      }
      if (!journal_.record(entry)) return false;
      if (inner_.copyToNewFile(to, entry.other) != kErrorSuccess ||
          !inner_.flushFile(entry.other)) {
        return failed("cannot keep a copy of " + to);
      }
      journal_.markSetAside(entry.other);
      if (!inner_.copyFile(from, to, false)) return failed("cannot copy onto " + to);
      return inner_.flushFile(to) || failed("cannot write " + to + " through");
    }
  }
  if (!makeRoomFor(to)) return false;
  if (!inner_.copyFile(from, to, failIfExists)) return failed("cannot copy onto " + to);
  return inner_.flushFile(to) || failed("cannot write " + to + " through");
}

long JournalFiles::copyToNewFile(const std::string& from, const std::string& to) {
  if (!journalling() || present(to)) return inner_.copyToNewFile(from, to);
  JournalEntry entry;
  entry.kind = JournalKind::kFileCreated;
  entry.path = to;
  entry.type = kTemporaryFile;  // the placement's copies beside their targets
  if (!journal_.record(entry)) return kErrorNotReadyStatus;
  const long status = inner_.copyToNewFile(from, to);
  if (status == kErrorFileExists || status == kErrorAlreadyExists) {
    journal_.dropLast();  // someone else's file, made since the look above
    return status;
  }
  journal_.markMade(to);
  if (status != kErrorSuccess) journal_.fail("cannot copy to " + to);
  return status;
}

bool JournalFiles::replaceFile(const std::string& from, const std::string& to) {
  if (!journalling()) return inner_.replaceFile(from, to);
  // The new data is on the disk before the rename makes it count.
  if (!inner_.flushFile(from)) return failed("cannot write " + from + " through");
  if (present(to) && !journal_.madeByRun(to)) {
    const long status = moveAside(to);
    // Held open: the placement copies in place instead (copyFile above).
    if (status == kErrorSharingViolation || status == kErrorAccessDenied) return false;
    if (status != kErrorSuccess) return failed("cannot set aside " + to);
  }
  if (!journal_.madeByRun(to)) {
    JournalEntry entry;
    entry.kind = JournalKind::kFileCreated;
    entry.path = to;
    if (!journal_.record(entry)) return false;
    journal_.markMade(to);
  }
  if (!inner_.replaceFile(from, to)) return failed("cannot move " + from + " to " + to);
  return true;
}

bool JournalFiles::setAttributes(const std::string& path, std::uint32_t attributes) {
  if (!journalling()) return inner_.setAttributes(path, attributes);
  if (journal_.isSetAside(path)) return true;
  const std::uint32_t before = inner_.getAttributes(path);
  if (before == kInvalidAttributes || journal_.madeByRun(path)) {
    return inner_.setAttributes(path, attributes);
  }
  JournalEntry entry;
  entry.kind = JournalKind::kAttributesChanged;
  entry.path = path;
  entry.number = before;
  if (!journal_.record(entry)) return false;
  if (!inner_.setAttributes(path, attributes)) return failed("cannot change attributes of " + path);
  return true;
}

// --- registry ---

std::string JournalRegistry::pathOf(RegKey key, const std::string& subKey) const {
  std::string path;
  if (key != kLocalMachine) {
    const auto found = paths_.find(key);
    if (found != paths_.end()) path = found->second;
  }
  if (subKey.empty()) return path;
  return path.empty() ? subKey : path + "\\" + subKey;
}

bool JournalRegistry::keyExists(const std::string& path) {
  ScopedKey key(inner_);
  return key.open(kLocalMachine, path, kKeyQueryValue);
}

long JournalRegistry::readValue(const std::string& path, const std::string& name,
                                JournalEntry* entry) {
  entry->number = 0;
  RegKey key = 0;
  long status = inner_.openKey(kLocalMachine, path, kKeyQueryValue, &key);
  if (status != kErrorSuccess) return absentStatus(status) ? kErrorSuccess : status;
  std::uint32_t type = 0;
  std::string data;
  status = inner_.queryExactValue(key, inner_.exactName(name), &type, &data);
  inner_.closeKey(key);
  if (status != kErrorSuccess) return absentStatus(status) ? kErrorSuccess : status;
  entry->number = 1;
  entry->type = type;
  entry->data = data;
  entry->exact = true;
  return kErrorSuccess;
}

long JournalRegistry::failed(long status, const std::string& what) {
  journal_.fail(what + " (error " + std::to_string(status) + ")");
  return status;
}

long JournalRegistry::createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                RegKey* key) {
  const std::string path = pathOf(parent, subKey);
  if (journal_.isOpen()) {
    if (journal_.hasFailed()) return kErrorNotReadyStatus;
    bool missing = false;
    for (const std::string& level : keyLevels(path, journal_.codePage())) {
      missing = missing || !keyExists(level);
      if (!missing) continue;
      JournalEntry entry;
      entry.kind = JournalKind::kKeyCreated;
      entry.path = level;
      if (!journal_.record(entry)) return kErrorNotReadyStatus;
    }
  }
  const long status = inner_.createKey(parent, subKey, access, key);
  if (status == kErrorSuccess) {
    paths_[*key] = path;
  } else if (journal_.isOpen()) {
    failed(status, "cannot create key " + path);
  }
  return status;
}

long JournalRegistry::openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                              RegKey* key) {
  const long status = inner_.openKey(parent, subKey, access, key);
  if (status == kErrorSuccess) paths_[*key] = pathOf(parent, subKey);
  return status;
}

long JournalRegistry::closeKey(RegKey key) {
  paths_.erase(key);
  return inner_.closeKey(key);
}

long JournalRegistry::setValue(RegKey key, const std::string& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) {
  if (!journal_.isOpen()) return inner_.setValue(key, name, type, data, size);
  const std::string path = pathOf(key, "");
  JournalEntry entry;
  entry.kind = JournalKind::kValueChanged;
  entry.path = path;
  entry.other = name;
  const long read = readValue(path, name, &entry);
  if (read != kErrorSuccess) {
    return failed(read, "cannot read value " + name + " of " + path + " before changing it");
  }
  if (!journal_.record(entry)) return kErrorNotReadyStatus;
  const long status = inner_.setValue(key, name, type, data, size);
  if (status != kErrorSuccess) return failed(status, "cannot write value " + name + " of " + path);
  return status;
}

long JournalRegistry::deleteValue(RegKey key, const std::string& name) {
  if (!journal_.isOpen()) return inner_.deleteValue(key, name);
  const std::string path = pathOf(key, "");
  JournalEntry entry;
  entry.kind = JournalKind::kValueChanged;
  entry.path = path;
  entry.other = name;
  const long read = readValue(path, name, &entry);
  if (read != kErrorSuccess) {
    return failed(read, "cannot read value " + name + " of " + path + " before deleting it");
  }
  if (entry.number == 0) return inner_.deleteValue(key, name);  // nothing to delete
  if (!journal_.record(entry)) return kErrorNotReadyStatus;
  const long status = inner_.deleteValue(key, name);
  if (status != kErrorSuccess && !absentStatus(status)) {
    return failed(status, "cannot delete value " + name + " of " + path);
  }
  return status;
}

long JournalRegistry::deleteKey(RegKey parent, const std::string& subKey) {
  const std::string path = pathOf(parent, subKey);
  if (!journal_.isOpen() || !keyExists(path)) return inner_.deleteKey(parent, subKey);
  JournalEntry entry;
  entry.kind = JournalKind::kKeyDeleted;
  entry.path = path;
  // The before-image is every value or the change is not made: a short
  // list would lose the rest for good.
  ScopedKey key(inner_);
  if (!key.open(kLocalMachine, path, kKeyQueryValue)) {
    return failed(kErrorAccessDenied, "cannot read key " + path + " before deleting it");
  }
  entry.exact = true;
  for (std::uint32_t index = 0;; ++index) {
    JournalValue value;
    const long status = inner_.enumExactValue(key.key(), index, &value.name, &value.type,
                                              &value.data);
    if (status == kErrorNoMoreItems) break;
    if (status != kErrorSuccess) {
      return failed(status, "cannot read the values of " + path + " before deleting it");
    }
    entry.values.push_back(value);
  }
  key.close();
  if (!journal_.record(entry)) return kErrorNotReadyStatus;
  const long status = inner_.deleteKey(parent, subKey);
  if (status != kErrorSuccess && !absentStatus(status)) {
    return failed(status, "cannot delete key " + path);
  }
  return status;
}

// --- shell ---

bool JournalShell::saveShellLink(const std::string& targetPath, const std::string& linkPath) {
  if (!journal_.isOpen()) return inner_.saveShellLink(targetPath, linkPath);
  if (!files_.makeRoomFor(linkPath)) return false;
  if (!inner_.saveShellLink(targetPath, linkPath)) {
    // A link into a folder that does not exist is left out, as always.
    if (!files_.folderMissing(linkPath)) journal_.fail("cannot save the link " + linkPath);
    return false;
  }
  // The shell saves without writing through; the commit counts on it.
  if (!files_.flushFile(linkPath)) {
    journal_.fail("cannot write the link " + linkPath + " through");
    return false;
  }
  return true;
}

// --- services ---

std::unique_ptr<ServiceManager> JournalServices::openManager() {
  std::unique_ptr<ServiceManager> manager = inner_.openManager();
  if (!manager) return nullptr;
  return std::make_unique<JournalServiceManager>(std::move(manager), journal_);
}

JournalPorts::JournalPorts(UpdatePorts& inner)
    : journal(inner.registry, inner.files, inner.codePage),
      files(inner.files, journal),
      registry(inner.registry, journal),
      services(inner.services, journal),
      shell(inner.shell, files, journal),
      ports{registry, files,     inner.system, inner.clock,    inner.ui,
            services, inner.processes, inner.codePage, shell} {
  journal.setMachine(inner);
}

}  // namespace quillet
