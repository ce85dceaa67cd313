#include "update/win32/win32_services.h"

namespace quillet {

std::unique_ptr<ServiceManager> Win32Services::openManager() {
  SC_HANDLE handle = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (handle == nullptr) return nullptr;
  return std::make_unique<Win32ServiceManager>(handle);
}

}  // namespace quillet
