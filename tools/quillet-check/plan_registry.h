#pragma once
// What becomes of each registry edit where the checking machine can tell
// without the target's registry: a key the registry refuses (a leading
// backslash), and a key that will not exist when the edit runs (below no
// key of HKEY_LOCAL_MACHINE's own, or deleted by an earlier edit and not
// made again).
#include <vector>

#include "update/ports/code_page.h"
#include "update/script/update_job.h"

namespace quillet {

enum class RegistryOutcome {
  kAsWritten,    // nothing known against it
  kRefused,      // creating or writing fails: the update is put back
  kKeyMissing,   // a value to delete under a key that will not exist: nothing happens
  kEndsTheStep,  // a subkey to delete under a key that will not exist: no later edit runs
};

std::vector<RegistryOutcome> registryOutcomes(const UpdateJob& job, const CodePage& codePage);

}  // namespace quillet
