#include "update/win32/win32_services.h"

#include <vector>

namespace quillet {

namespace {

// One service opened with SERVICE_ALL_ACCESS; closed on destruction.
class Win32ServiceHandle : public ServiceHandle {
 public:
  explicit Win32ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
  ~Win32ServiceHandle() override { CloseServiceHandle(handle_); }
  Win32ServiceHandle(const Win32ServiceHandle&) = delete;
  Win32ServiceHandle& operator=(const Win32ServiceHandle&) = delete;

  bool control(std::uint32_t code) override {
    SERVICE_STATUS status{};
    return ControlService(handle_, code, &status) != FALSE;
  }
  bool queryStatus(ServiceStatus* status) override {
    SERVICE_STATUS raw{};
    if (!QueryServiceStatus(handle_, &raw)) return false;
    *status = ServiceStatus{raw.dwCurrentState, raw.dwCheckPoint, raw.dwWaitHint};
    return true;
  }
  bool start() override { return StartServiceA(handle_, 0, nullptr) != FALSE; }
  std::vector<std::string> activeDependents() override {
    std::vector<std::string> names;
    DWORD needed = 0, count = 0;
    // First with an empty buffer: succeeds only when there are none.
    if (EnumDependentServicesA(handle_, SERVICE_ACTIVE, nullptr, 0, &needed, &count) ||
        GetLastError() != ERROR_MORE_DATA || needed == 0)
      return names;
    std::vector<unsigned char> buffer(needed);
    auto* entries = reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data());
    if (!EnumDependentServicesA(handle_, SERVICE_ACTIVE, entries, needed, &needed, &count))
      return names;
    for (DWORD i = 0; i < count; ++i) names.emplace_back(entries[i].lpServiceName);
    return names;
  }

 private:
  SC_HANDLE handle_;
};

}  // namespace

std::unique_ptr<ServiceHandle> Win32ServiceManager::openService(const std::string& name) {
  SC_HANDLE handle = OpenServiceA(handle_, name.c_str(), SERVICE_ALL_ACCESS);
  if (handle == nullptr) return nullptr;
  return std::make_unique<Win32ServiceHandle>(handle);
}

std::unique_ptr<ServiceManager> Win32Services::openManager() {
  SC_HANDLE handle = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (handle == nullptr) return nullptr;
  return std::make_unique<Win32ServiceManager>(handle);
}

}  // namespace quillet
