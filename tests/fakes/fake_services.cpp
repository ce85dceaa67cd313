#include "tests/fakes/fake_services.h"

namespace quillet {
namespace {

class FakeServiceManager : public ServiceManager {
 public:
  explicit FakeServiceManager(int& open) : open_(open) { ++open_; }
  ~FakeServiceManager() override { --open_; }

 private:
  int& open_;
};

}  // namespace

std::unique_ptr<ServiceManager> FakeServices::openManager() {
  ++openCalls;
  if (!administrator) return nullptr;
  return std::make_unique<FakeServiceManager>(openManagers);
}

}  // namespace quillet
