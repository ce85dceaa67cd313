#pragma once
// A registry port in front of the in-memory registry that writes down every
// key that is opened or created with the access rights asked for, and that
// can report more subkeys for a key than it has (an enumeration that ends
// before the announced count, as when another program deletes keys meanwhile).
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/fakes/fake_registry.h"

namespace quillet {

class RecordingRegistry : public RegistryPort {
 public:
  explicit RecordingRegistry(FakeRegistry& inner) : inner_(inner) {}

  long createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                 RegKey* key) override {
    const long status = inner_.createKey(parent, subKey, access, key);
    remember("create", parent, subKey, access, status, *key);
    return status;
  }
  long openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
               RegKey* key) override {
    const long status = inner_.openKey(parent, subKey, access, key);
    remember("open", parent, subKey, access, status, *key);
    return status;
  }
  long closeKey(RegKey key) override { return inner_.closeKey(key); }
  long queryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return inner_.queryValue(key, name, type, data, size);
  }
  long setValue(RegKey key, const std::string& name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override {
    return inner_.setValue(key, name, type, data, size);
  }
  long deleteValue(RegKey key, const std::string& name) override {
    return inner_.deleteValue(key, name);
  }
  long deleteKey(RegKey parent, const std::string& subKey) override {
    return inner_.deleteKey(parent, subKey);
  }
  long querySubKeyCount(RegKey key, std::uint32_t* count) override {
    const long status = inner_.querySubKeyCount(key, count);
    auto extra = extraSubKeys.find(pathOf(key));
    if (status == kErrorSuccess && extra != extraSubKeys.end()) *count += extra->second;
    return status;
  }
  long enumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize) override {
    return inner_.enumKey(key, index, name, nameSize);
  }
  long enumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override {
    return inner_.enumValue(key, index, name, nameSize, type, data, dataSize);
  }

  // "open PATH 0xACCESS" / "create PATH 0xACCESS", PATH below
  // HKEY_LOCAL_MACHINE as the caller spelled it; failed calls included.
  std::vector<std::string> keyCalls;
  // Added to the subkey count of the key at this path.
  std::map<std::string, std::uint32_t> extraSubKeys;

 private:
  std::string pathOf(RegKey key) const {
    if (key == kLocalMachine) return "";
    auto found = paths_.find(key);
    return found == paths_.end() ? "?" : found->second;
  }
  void remember(const char* what, RegKey parent, const std::string& subKey,
                std::uint32_t access, long status, RegKey key) {
    const std::string base = pathOf(parent);
    const std::string path = base.empty() ? subKey : base + "\\" + subKey;
    char rights[16];
    std::snprintf(rights, sizeof rights, " 0x%X", static_cast<unsigned>(access));
    keyCalls.push_back(std::string(what) + " " + path + rights);
    if (status == kErrorSuccess) paths_[key] = path;
  }

  FakeRegistry& inner_;
  std::map<RegKey, std::string> paths_;
};

}  // namespace quillet
