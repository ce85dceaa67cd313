#pragma once
// The file, registry and service ports of a run inside its transaction. Each
// change writes its before-image to the journal (flushed) and only then goes
// on to the real port: an installed file or folder that is replaced or
// removed is first moved aside beside itself (a rename on its own volume, no
// second copy), a value or key keeps its old data in the journal. A change
// the port refuses fails the transaction, except where nothing was there to
// change (a missing file, key or value; a temporary name already taken).
// Outside a transaction every call passes straight through.
#include <map>
#include <memory>
#include <string>

#include "update/journal/update_journal.h"
#include "update/ports/update_ports.h"

namespace quillet {

class JournalFiles : public FileSystemPort {
 public:
  JournalFiles(FileSystemPort& inner, UpdateJournal& journal) : inner_(inner), journal_(journal) {}
  bool readFile(const std::string& path, std::string* bytes) override {
    return inner_.readFile(path, bytes);
  }
  bool writeFile(const std::string& path, const std::string& bytes) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  long copyToNewFile(const std::string& from, const std::string& to) override;
  bool replaceFile(const std::string& from, const std::string& to) override;
  std::uint32_t getAttributes(const std::string& path) override {
    return inner_.getAttributes(path);
  }
  bool setAttributes(const std::string& path, std::uint32_t attributes) override;
  bool findFile(const std::string& path, FileInfo* info) override {
    return inner_.findFile(path, info);
  }
  std::unique_ptr<FileSearch> findFiles(const std::string& pattern, FileInfo* first,
                                        int* error) override {
    return inner_.findFiles(pattern, first, error);
  }
  bool fileVersionText(const std::string& path, std::string* text) override {
    return inner_.fileVersionText(path, text);
  }
  long moveFile(const std::string& from, const std::string& to) override {
    return inner_.moveFile(from, to);
  }
  bool flushFile(const std::string& path) override { return inner_.flushFile(path); }

  // Before new content lands on path (from here or from the shell): sets
  // aside what is installed there and journals the new file; false when that
  // failed (and the run with it). Always true outside a transaction.
  bool makeRoomFor(const std::string& path);
  // Whether the folder the path lies in does not exist.
  bool folderMissing(const std::string& path);

 private:
  bool journalling() const { return journal_.isOpen(); }
  bool present(const std::string& path) { return pathPresent(inner_, path); }
  // Moves the installed path aside (journalled); the rename's status.
  long moveAside(const std::string& path);
  bool failed(const std::string& why);

  FileSystemPort& inner_;
  UpdateJournal& journal_;
};

class JournalRegistry : public RegistryPort {
 public:
  JournalRegistry(RegistryPort& inner, UpdateJournal& journal) : inner_(inner), journal_(journal) {}
  long createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                 RegKey* key) override;
  long openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
               RegKey* key) override;
  long closeKey(RegKey key) override;
  long queryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return inner_.queryValue(key, name, type, data, size);
  }
  long setValue(RegKey key, const std::string& name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override;
  long deleteValue(RegKey key, const std::string& name) override;
  long deleteKey(RegKey parent, const std::string& subKey) override;
  long querySubKeyCount(RegKey key, std::uint32_t* count) override {
    return inner_.querySubKeyCount(key, count);
  }
  long enumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize) override {
    return inner_.enumKey(key, index, name, nameSize);
  }
  long enumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override {
    return inner_.enumValue(key, index, name, nameSize, type, data, dataSize);
  }
  long flushKey(RegKey key) override { return inner_.flushKey(key); }
  std::string exactName(const std::string& name) override { return inner_.exactName(name); }
  long queryExactValue(RegKey key, const std::string& exactName, std::uint32_t* type,
                       std::string* data) override {
    return inner_.queryExactValue(key, exactName, type, data);
  }
  long enumExactValue(RegKey key, std::uint32_t index, std::string* exactName,
                      std::uint32_t* type, std::string* data) override {
    return inner_.enumExactValue(key, index, exactName, type, data);
  }
  long setExactValue(RegKey key, const std::string& exactName, std::uint32_t type,
                     const std::string& data) override {
    return inner_.setExactValue(key, exactName, type, data);
  }

 private:
  std::string pathOf(RegKey key, const std::string& subKey) const;
  bool keyExists(const std::string& path);
  // The value's before-image (entry->number 1: there, 0: not there); the
  // system's status when it cannot be known, and the change is then not made:
  // an undo that took the value for absent would delete it for good.
  long readValue(const std::string& path, const std::string& name, JournalEntry* entry);
  long failed(long status, const std::string& what);

  RegistryPort& inner_;
  UpdateJournal& journal_;
  std::map<RegKey, std::string> paths_;  // open keys and the path below HKLM they name
};

// Journals each service the run stops, so that the start after an
// interrupted run can start it again.
class JournalServices : public ServicesPort {
 public:
  JournalServices(ServicesPort& inner, UpdateJournal& journal) : inner_(inner), journal_(journal) {}
  std::unique_ptr<ServiceManager> openManager() override;

 private:
  ServicesPort& inner_;
  UpdateJournal& journal_;
};

// Shell links are saved by the shell, not through the file port: each one is
// journalled as a new file first (an installed link of that name set aside).
class JournalShell : public ShellPort {
 public:
  JournalShell(ShellPort& inner, JournalFiles& files, UpdateJournal& journal)
      : inner_(inner), files_(files), journal_(journal) {}
  bool saveShellLink(const std::string& targetPath, const std::string& linkPath) override;
  bool startProgram(const std::string& commandLine) override {
    return inner_.startProgram(commandLine);
  }

 private:
  ShellPort& inner_;
  JournalFiles& files_;
  UpdateJournal& journal_;
};

// The ports of a run with its journal in front of the real ones.
struct JournalPorts {
  explicit JournalPorts(UpdatePorts& inner);
  UpdateJournal journal;
  JournalFiles files;
  JournalRegistry registry;
  JournalServices services;
  JournalShell shell;
  UpdatePorts ports;
};

}  // namespace quillet
