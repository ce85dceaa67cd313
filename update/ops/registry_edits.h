#pragma once
// The script's registry edits, all below HKEY_LOCAL_MACHINE.
#include <string>

#include "update/ports/registry_port.h"
#include "update/script/update_job.h"

namespace quillet {

// Applies registryEntries in order. 1 after the whole table; 0 when a subkey
// deletion found its parent key unopenable, which ends the step there.
int applyRegistryEntries(const UpdateJob& job, RegistryPort& registry);

// 1 when the key exists afterwards.
int createKey(RegistryPort& registry, const std::string& keyPath);
// REG_SZ with the terminating NUL counted; a missing key is created.
int setStringValue(RegistryPort& registry, const std::string& keyPath,
                   const std::string& name, const std::string& data);
// REG_DWORD of the run-time atol of data; a missing key is created.
int setDwordValue(RegistryPort& registry, const std::string& keyPath,
                  const std::string& name, const std::string& data);
// Deletes name below the open parent with all its subkeys, highest index
// first. 1 when every subkey was enumerated and the key itself was deleted;
// 0 at once for an empty name, which never means the parent itself.
int deleteKeyTree(RegistryPort& registry, RegKey parent, const std::string& name);
int deleteValue(RegistryPort& registry, const std::string& keyPath, const std::string& name);

// The C run-time atol: leading blanks, optional sign, decimal digits up to
// the first other byte; 0 without digits. Wraps like the 32-bit original.
long runtimeAtol(const std::string& text);

}  // namespace quillet
