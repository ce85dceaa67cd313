#include "update/ops/debug_privilege.h"

namespace quillet {

int enableDebugPrivilege(ProcessesPort& processes, std::FILE* out) {
  long error = 0;
  const char* format = nullptr;
  switch (processes.enableDebugPrivilege(&error)) {
    case PrivilegeStage::kEnabled:
      return 1;
    case PrivilegeStage::kOpenToken:
      format = "OpenProcessToken failed with %d\n";
      break;
    case PrivilegeStage::kLookup:
      format = "LookupPrivilegeValue failed with %d\n";
      break;
    case PrivilegeStage::kAdjust:
      format = "AdjustTokenPrivileges failed with %d\n";
      break;
  }
  std::fprintf(out, format, static_cast<int>(error));
  std::fflush(out);
  return 0;
}

}  // namespace quillet
