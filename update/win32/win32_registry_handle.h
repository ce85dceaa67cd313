#pragma once
// The registry port's key handles as the platform's, for the registry
// adapter's source files only.
#include <windows.h>

#include "update/ports/registry_port.h"

namespace quillet {

// The root is named by the platform's own constant: on 64-bit Windows the
// predefined handles are sign-extended, so the port's 0x80000002 must not be
// passed through as an address-sized value.
inline HKEY toHkey(RegKey key) {
  if (key == kLocalMachine) return HKEY_LOCAL_MACHINE;
  if (key == kCurrentUser) return HKEY_CURRENT_USER;
  return reinterpret_cast<HKEY>(key);
}

}  // namespace quillet
