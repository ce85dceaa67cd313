#pragma once
// Facts about the running program and the machine.
#include <memory>
#include <string>

namespace quillet {

// A kernel object held for as long as this object lives (the instance guard).
class HeldHandle {
 public:
  virtual ~HeldHandle() = default;
};

class SystemPort {
 public:
  virtual ~SystemPort() = default;
  // Full path of the loaded module of that name (GetModuleHandleA, then
  // GetModuleFileNameA with 260 bytes); false when no such module is loaded.
  virtual bool moduleFileName(const std::string& moduleName, std::string* path) = 0;
  // GetSystemDirectoryA with 260 bytes; false when it returns 0.
  virtual bool systemDirectory(std::string* path) = 0;
  virtual bool environmentVariable(const std::string& name, std::string* value) = 0;
  // dwMajorVersion as GetVersionExA reports it, asked afresh on every call.
  virtual int osMajorVersion() = 0;
  // CreateSemaphoreA(no security, 0, 1, name). *lastError is GetLastError()
  // after the call (kErrorAlreadyExists when another process holds it, also
  // when that object may not be opened: then the handle holds nothing).
  // Null when no handle was returned.
  virtual std::unique_ptr<HeldHandle> createSemaphore(const std::string& name,
                                                      long* lastError) = 0;
};

}  // namespace quillet
