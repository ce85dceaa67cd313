#pragma once
// The service control manager of the local machine.
#include <windows.h>

#include "update/ports/services_port.h"

namespace quillet {

// An open manager handle (SC_MANAGER_ALL_ACCESS); closed on destruction.
class Win32ServiceManager : public ServiceManager {
 public:
  explicit Win32ServiceManager(SC_HANDLE handle) : handle_(handle) {}
  ~Win32ServiceManager() override { CloseServiceHandle(handle_); }
  Win32ServiceManager(const Win32ServiceManager&) = delete;
  Win32ServiceManager& operator=(const Win32ServiceManager&) = delete;
  SC_HANDLE handle() const { return handle_; }
  std::unique_ptr<ServiceHandle> openService(const std::string& name) override;

 private:
  SC_HANDLE handle_;
};

class Win32Services : public ServicesPort {
 public:
  std::unique_ptr<ServiceManager> openManager() override;
};

}  // namespace quillet
