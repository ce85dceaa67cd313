// Stopping and starting the listed services, and the print-service notice.
#include <cstdint>
#include <memory>
#include <string>

#include "update/ops/service_control.h"
#include "update/ops/update_steps.h"
#include "update/text/mbcs_text.h"

namespace quillet {

namespace {
constexpr std::uint32_t kWaitAfterStoppingServices = 2000;
constexpr char kPrintServiceName[] = "Lindquay";
}  // namespace

int StandardSteps::stopListedServices(ProgressWindow& progress) {
  std::unique_ptr<ServiceManager> manager = ports_.services.openManager();
  if (!manager) return 0;
  for (int i = 0; i < job_.serviceToStopCount; ++i) {
    progress.stepIt();
    // The dependents asked to stop are started again after the service.
    std::vector<std::string> dependents;
    stopServiceTree(*manager, job_.servicesToStop[i], ports_.clock, &dependents);
    if (!dependents.empty()) stoppedDependents_.emplace_back(job_.servicesToStop[i], dependents);
  }
  manager.reset();
  ports_.clock.sleepMs(kWaitAfterStoppingServices);
  progress.stepIt();
  return 1;
}

int StandardSteps::startListedServices(ProgressWindow& progress) {
  std::unique_ptr<ServiceManager> manager = ports_.services.openManager();
  if (!manager) return 0;
  for (int i = 0; i < job_.serviceToStartCount; ++i) {
    progress.stepIt();
    const std::string& name = job_.servicesToStart[i];
    // Whether it came up changes nothing here: the run goes on either way,
    // and the main flow reports a listed service that does not run.
    if (startService(*manager, name, ports_.clock) != 1) continue;
    // Dependents the stop step took down come back in the reverse order of
    // their stops, so that each finds its own dependencies running.
    for (const auto& stopped : stoppedDependents_) {
      if (!equalsIgnoringAsciiCase(stopped.first, name)) continue;
      for (auto it = stopped.second.rbegin(); it != stopped.second.rend(); ++it)
        startService(*manager, *it, ports_.clock);
    }
  }
  return 1;
}

int StandardSteps::notifyPrintService() {
  std::unique_ptr<ServiceManager> manager = ports_.services.openManager();
  if (!manager) return 0;
  std::unique_ptr<ServiceHandle> service = manager->openService(kPrintServiceName);
  if (!service) return 0;
  return service->control(kPrintServiceNotice) ? 1 : 0;
}

}  // namespace quillet
