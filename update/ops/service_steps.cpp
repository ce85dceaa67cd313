// Stopping and starting the listed services, and the print-service notice.
#include <cstdint>
#include <memory>
#include <string>

#include "update/ops/service_control.h"
#include "update/ops/update_steps.h"

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
    stopServiceTree(*manager, job_.servicesToStop[i], ports_.clock);
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
    std::unique_ptr<ServiceHandle> service = manager->openService(job_.servicesToStart[i]);
    if (!service || !service->start()) continue;  // missing, or already running
    ServiceStatus status;
    if (!service->queryStatus(&status)) continue;
    // Whether it came up in time changes nothing: the run goes on either way.
    waitForServiceState(*service, ports_.clock, status, kServiceRunning);
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
