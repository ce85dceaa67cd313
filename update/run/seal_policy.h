#pragma once
// The machine's policy on unsealed media: the DWORD "RequireMediaSeal"
// under the product's key. Set to anything but 0 by an administrator (the
// key is theirs), media without a readable "quillet.sha256" are refused;
// absent or 0, they run as always.
#include "update/ports/registry_port.h"

namespace quillet {

extern const char kRequireMediaSealValue[];  // "RequireMediaSeal"

// True when the machine requires sealed media. A value that is there but is
// not a 4-byte DWORD also requires it: a policy meant to be set is not
// taken as unset.
bool mediaSealRequired(RegistryPort& registry);

}  // namespace quillet
