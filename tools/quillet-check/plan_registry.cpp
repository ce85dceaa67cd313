#include "tools/quillet-check/plan_registry.h"

#include <string>

#include "update/text/mbcs_text.h"

namespace quillet {

namespace {

// The keys HKEY_LOCAL_MACHINE itself holds; a script cannot make others there.
const char* const kMachineKeys[] = {"HARDWARE", "SAM", "SECURITY", "SOFTWARE", "SYSTEM"};

bool writes(int operation) {
  return operation == kRegCreateKey || operation == kRegSetString || operation == kRegSetDword;
}

// True when path is key or lies below it (both upper-cased).
bool isAtOrBelow(const std::string& path, const std::string& key) {
  return path == key || (path.size() > key.size() && path.compare(0, key.size(), key) == 0 &&
                         path[key.size()] == '\\');
}

}  // namespace

std::vector<RegistryOutcome> registryOutcomes(const UpdateJob& job, const CodePage& cp) {
  std::vector<RegistryOutcome> outcomes(job.registryEntryCount, RegistryOutcome::kAsWritten);
  std::vector<std::string> made;     // keys written so far (upper-cased)
  std::vector<std::string> deleted;  // trees deleted so far and not made again
  for (int i = 0; i < job.registryEntryCount; ++i) {
    const RegistryEntry& e = job.registryEntries[i];
    const std::string key = upperCaseSingleByte(e.keyPath, cp);
    const bool refused = !key.empty() && key[0] == '\\';
    if (writes(e.operation)) {
      if (refused) {
        outcomes[i] = RegistryOutcome::kRefused;
        continue;
      }
      made.push_back(key);
      for (std::size_t d = 0; d < deleted.size();)
        d = isAtOrBelow(key, deleted[d]) ? (deleted.erase(deleted.begin() + d), d) : d + 1;
      continue;
    }
    bool missing = refused;
    const std::string top = key.substr(0, firstCharIndex(key, '\\', cp));
    bool machineKey = false;
    for (const char* name : kMachineKeys) machineKey = machineKey || top == name;
    bool madeHere = false;
    for (const std::string& m : made) madeHere = madeHere || isAtOrBelow(m, key);
    missing = missing || (!machineKey && !madeHere);
    for (const std::string& d : deleted) missing = missing || isAtOrBelow(key, d);
    if (missing) {
      outcomes[i] = e.operation == kRegDeleteSubKey ? RegistryOutcome::kEndsTheStep
                                                    : RegistryOutcome::kKeyMissing;
      if (e.operation == kRegDeleteSubKey) break;  // no later edit runs
      continue;
    }
    if (e.operation == kRegDeleteSubKey && !e.valueName.empty())
      deleted.push_back(key + "\\" + upperCaseSingleByte(e.valueName, cp));
  }
  return outcomes;
}

}  // namespace quillet
