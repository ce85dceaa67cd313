#pragma once
// Facts about the program and the machine for native tests: module paths,
// the system folder, environment variables, the operating system's major
// version (optionally a different answer per call) and named semaphores that
// are held while their handle lives.
#include <deque>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "update/ports/system_port.h"

namespace quillet {

class FakeSystem : public SystemPort {
 public:
  // --- SystemPort ---
  bool moduleFileName(const std::string& moduleName, std::string* path) override;
  bool systemDirectory(std::string* path) override;
  bool environmentVariable(const std::string& name, std::string* value) override;
  int osMajorVersion() override;
  std::unique_ptr<HeldHandle> createSemaphore(const std::string& name, long* lastError) override;

  // --- Set-up ---
  // Module names compare without regard to ASCII letter case.
  void setModule(const std::string& moduleName, const std::string& path);
  void setSystemDirectory(const std::string& path) { systemDir_ = path; hasSystemDir_ = true; }
  void clearSystemDirectory() { hasSystemDir_ = false; }
  void setEnvironment(const std::string& name, const std::string& value) { env_[name] = value; }
  void clearEnvironment(const std::string& name) { env_.erase(name); }
  // The answer of every call...
  void setOsMajorVersion(int major) { osMajor_ = major; answers_.clear(); }
  // ...or these answers, one per call, then the last one again.
  void queueOsMajorVersions(std::initializer_list<int> majors);
  // Semaphore creation returns no handle (lastError set to the status).
  void failSemaphores(long status) { semaphoreFailure_ = status; }

  // --- Inspection ---
  int osMajorVersionCalls() const { return osMajorCalls_; }
  bool semaphoreHeld(const std::string& name) const { return held_->count(name) != 0; }

 private:
  std::map<std::string, std::string> modules_;  // upper-cased name -> path
  std::string systemDir_ = "C:\\WINNT\\system32";
  bool hasSystemDir_ = true;
  std::map<std::string, std::string> env_{{"WINDIR", "C:\\WINNT"}};
  int osMajor_ = 5;
  std::deque<int> answers_;
  int osMajorCalls_ = 0;
  long semaphoreFailure_ = 0;
  // Names held by live handles; shared with the handles so a handle may
  // outlive the fake.
  std::shared_ptr<std::multiset<std::string>> held_ = std::make_shared<std::multiset<std::string>>();
};

}  // namespace quillet
