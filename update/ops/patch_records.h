#pragma once
// Patch records: one subkey per applied patch below
// "SOFTWARE\norvane\Plexor\Update" with "Title", "Date" and "Time".
#include "update/ports/registry_port.h"
#include "update/script/update_job.h"

namespace quillet {

extern const char kPatchKeyPath[];  // "SOFTWARE\norvane\Plexor\Update"

// Writes every patchInfoEntries record; single failures are skipped. Returns 1.
int writePatchRecords(const UpdateJob& job, RegistryPort& registry);

// Deletes the patch keys that the patchDeleteEntries select. 1 when the
// enumeration ran down normally; 0 when the key cannot be opened or read or
// the enumeration fails.
int deletePatchRecords(const UpdateJob& job, RegistryPort& registry);

}  // namespace quillet
