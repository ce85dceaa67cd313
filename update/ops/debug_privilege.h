#pragma once
// The debug privilege, without which processes of other accounts usually
// cannot be opened for ending.
#include <cstdio>

#include "update/ports/processes_port.h"

namespace quillet {

// 1 when the privilege is enabled. A failure writes one line with the error
// code to out ("OpenProcessToken failed with %d\n", ...) and gives 0.
int enableDebugPrivilege(ProcessesPort& processes, std::FILE* out);

}  // namespace quillet
