#include "tests/fakes/fake_system.h"

#include <cctype>

#include "update/ports/status_codes.h"

namespace quillet {

namespace {

std::string upper(const std::string& text) {
  std::string result = text;
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

class FakeSemaphore : public HeldHandle {
 public:
  FakeSemaphore(std::shared_ptr<std::multiset<std::string>> held, std::string name)
      : held_(std::move(held)), name_(std::move(name)) {
    held_->insert(name_);
  }
  ~FakeSemaphore() override { held_->erase(held_->find(name_)); }

 private:
  std::shared_ptr<std::multiset<std::string>> held_;
  std::string name_;
};

}  // namespace

bool FakeSystem::moduleFileName(const std::string& moduleName, std::string* path) {
  auto it = modules_.find(upper(moduleName));
  if (it == modules_.end()) return false;
  *path = it->second;
  return true;
}

bool FakeSystem::systemDirectory(std::string* path) {
  if (!hasSystemDir_) return false;
  *path = systemDir_;
  return true;
}

bool FakeSystem::environmentVariable(const std::string& name, std::string* value) {
  // Environment names are case-insensitive on Windows.
  for (const auto& entry : env_) {
    if (upper(entry.first) == upper(name)) {
      *value = entry.second;
      return true;
    }
  }
  return false;
}

int FakeSystem::osMajorVersion() {
  ++osMajorCalls_;
  if (!answers_.empty()) {
    osMajor_ = answers_.front();
    answers_.pop_front();
  }
  return osMajor_;
}

void FakeSystem::queueOsMajorVersions(std::initializer_list<int> majors) {
  answers_.assign(majors.begin(), majors.end());
}

void FakeSystem::setModule(const std::string& moduleName, const std::string& path) {
  modules_[upper(moduleName)] = path;
}

std::unique_ptr<HeldHandle> FakeSystem::createSemaphore(const std::string& name,
                                                        long* lastError) {
  if (semaphoreFailure_ != 0) {
    *lastError = semaphoreFailure_;
    return nullptr;
  }
  // Like CreateSemaphoreA: an existing name gives a handle to the same
  // object and ERROR_ALREADY_EXISTS.
  *lastError = held_->count(name) ? kErrorAlreadyExists : kErrorSuccess;
  return std::make_unique<FakeSemaphore>(held_, name);
}

}  // namespace quillet
