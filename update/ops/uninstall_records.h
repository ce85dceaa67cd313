#pragma once
// Uninstall records: every file, shortcut and work folder an update adds is
// listed under "SOFTWARE\norvane\Plexor\UninstFiles" as numbered values
// "FILE%d" and "DIR%d" (two series, 0..255, lowest free number first).
#include <string>

#include "update/ports/registry_port.h"

namespace quillet {

extern const char kUninstallKeyPath[];  // "SOFTWARE\norvane\Plexor\UninstFiles"

// 1 when the path is recorded afterwards (newly or already); 0 when writing
// failed or all 256 names of the series are taken.
int recordUninstallFile(RegistryPort& registry, const std::string& path);
int recordUninstallFolder(RegistryPort& registry, const std::string& path);

// 1 when any value of the uninstall key (file or folder) holds exactly path.
int isPathRecorded(RegistryPort& registry, const std::string& path);

// 1 when the value can be read (into 1040 bytes) below HKEY_LOCAL_MACHINE.
int valueExists(RegistryPort& registry, const std::string& keyPath, const std::string& name);

}  // namespace quillet
