#include "tests/fakes/fake_services.h"

namespace quillet {
namespace {

class FakeServiceHandle : public ServiceHandle {
 public:
  FakeServiceHandle(FakeServices& owner, const std::string& name)
      : owner_(owner), name_(name), service_(owner.services.at(name)) {
    ++owner_.openServices;
  }
  ~FakeServiceHandle() override { --owner_.openServices; }

  bool control(std::uint32_t code) override {
    if (owner_.gate != nullptr && owner_.gate->cut) return false;
    const bool accepted = code == kServiceControlStop
                              ? service_.running && due().currentState != kServiceStartPending
                              : service_.acceptsControl128 && code == 128;
    owner_.log.push_back((code == kServiceControlStop ? "stop " : "control ") + name_ +
                         (code == kServiceControlStop ? "" : " " + std::to_string(code)) +
                         (accepted ? "" : " refused"));
    if (accepted && code == kServiceControlStop) follow(service_.afterStop);
    owner_.syncModules();
    return accepted;
  }
  bool start() override {
    if (owner_.gate != nullptr && owner_.gate->cut) return false;
    const bool refused = service_.running || service_.refusedStarts-- > 0;
    owner_.log.push_back("start " + name_ + (refused ? " refused" : ""));
    if (refused) return false;
    follow(service_.afterStart);
    owner_.syncModules();
    return true;
  }
  bool queryStatus(ServiceStatus* status) override {
    *status = due();
    if (service_.reports != nullptr && !service_.reports->empty()) {
      ++service_.queries;
      service_.running = status->currentState != kServiceStopped;
    }
    owner_.syncModules();
    return true;
  }
  std::vector<std::string> activeDependents() override {
    std::vector<std::string> active;
    for (const std::string& name : service_.dependents) {
      auto it = owner_.services.find(name);
      if (it != owner_.services.end() && it->second.running) active.push_back(name);
    }
    return active;
  }

 private:
  // The report the next query gives.
  ServiceStatus due() {
    if (service_.reports == nullptr && !service_.initially.empty()) follow(service_.initially);
    if (service_.reports == nullptr || service_.reports->empty())
      return ServiceStatus{service_.running ? kServiceRunning : kServiceStopped, 0, 0};
    const std::vector<ServiceStatus>& reports = *service_.reports;
    return reports[service_.queries < reports.size() ? service_.queries : reports.size() - 1];
  }
  void follow(const std::vector<ServiceStatus>& reports) {
    service_.reports = &reports;
    service_.queries = 0;
  }

  FakeServices& owner_;
  std::string name_;
  FakeService& service_;
};

class FakeServiceManager : public ServiceManager {
 public:
  explicit FakeServiceManager(FakeServices& owner) : owner_(owner) { ++owner_.openManagers; }
  ~FakeServiceManager() override { --owner_.openManagers; }
  std::unique_ptr<ServiceHandle> openService(const std::string& name) override {
    if (owner_.services.count(name) == 0) return nullptr;
    return std::make_unique<FakeServiceHandle>(owner_, name);
  }

 private:
  FakeServices& owner_;
};

}  // namespace

void FakeServices::syncModules() {
  if (files == nullptr) return;
  if (gate != nullptr && !restartWatched_) {
    restartWatched_ = true;
    gate->restart.push_back([this] {
      for (auto& entry : services) entry.second.loadedModule = 0;  // every process ended
      syncModules();
    });
  }
  for (auto& entry : services) {
    FakeService& service = entry.second;
    if (service.module.empty()) continue;
    if (service.running && service.loadedModule == 0) {
      service.loadedModule = files->loadModule(service.module);
    } else if (!service.running && service.loadedModule != 0) {
      files->unloadModule(service.loadedModule);
      service.loadedModule = 0;
    }
  }
}

std::unique_ptr<ServiceManager> FakeServices::openManager() {
  ++openCalls;
  if (!administrator) return nullptr;
  return std::make_unique<FakeServiceManager>(*this);
}

}  // namespace quillet
