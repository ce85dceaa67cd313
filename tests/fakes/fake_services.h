#pragma once
// A service control manager that either opens (administrator) or does not.
#include <memory>

#include "update/ports/services_port.h"

namespace quillet {

class FakeServices : public ServicesPort {
 public:
  std::unique_ptr<ServiceManager> openManager() override;

  bool administrator = true;  // whether opening the manager succeeds
  int openCalls = 0;
  int openManagers = 0;       // managers opened and not yet closed
};

}  // namespace quillet
