// Stopping and starting the listed services, and the print-service notice.
#include <cstdint>
#include <string>

#include "update/ops/update_steps.h"

namespace quillet {

namespace {
constexpr std::uint32_t kWaitAfterStoppingServices = 2000;
}  // namespace

int StandardSteps::stopListedServices(ProgressWindow& progress) {
  std::unique_ptr<ServiceManager> manager = ports_.services.openManager();
  if (!manager) return 0;
  if (job_.serviceToStopCount > 0)
    ports_.ui.messageBox("サービスの停止は、この版ではまだ実装されていません。");
  for (int i = 0; i < job_.serviceToStopCount; ++i) progress.stepIt();
  manager.reset();
  ports_.clock.sleepMs(kWaitAfterStoppingServices);
  progress.stepIt();
  return 1;
}

int StandardSteps::startListedServices(ProgressWindow& progress) {
  std::unique_ptr<ServiceManager> manager = ports_.services.openManager();
  if (!manager) return 0;
  if (job_.serviceToStartCount > 0)
    ports_.ui.messageBox("サービスの開始は、この版ではまだ実装されていません。");
  for (int i = 0; i < job_.serviceToStartCount; ++i) progress.stepIt();
  return 1;
}

int StandardSteps::notifyPrintService() {
  ports_.ui.messageBox("印刷サービスへの通知は、この版ではまだ実装されていません。");
  return 0;
}

}  // namespace quillet
