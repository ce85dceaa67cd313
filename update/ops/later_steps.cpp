#include "update/ops/later_steps.h"

#include <string>

namespace quillet {

namespace {
constexpr std::uint32_t kWaitAfterStoppingServices = 2000;
}  // namespace

void PendingLaterSteps::reportNotBuilt(const char* utf8What) {
  ports_.ui.messageBox(std::string(utf8What) + "は、この版ではまだ実装されていません。");
}

int PendingLaterSteps::endListedProcesses() {
  if (job_.processToEndCount == 0) return 1;
  reportNotBuilt("プロセスの終了");
  return 0;
}

int PendingLaterSteps::launchPhase(int phase) {
  for (int i = 0; i < job_.launchEntryCount; ++i) {
    if (job_.launchEntries[i].phase == phase) {
      reportNotBuilt("プログラムの起動");
      break;
    }
  }
  return 1;
}

int PendingLaterSteps::stopListedServices(ProgressWindow& progress) {
  std::unique_ptr<ServiceManager> manager = ports_.services.openManager();
  if (!manager) return 0;
  if (job_.serviceToStopCount > 0) reportNotBuilt("サービスの停止");
  for (int i = 0; i < job_.serviceToStopCount; ++i) progress.stepIt();
  manager.reset();
  ports_.clock.sleepMs(kWaitAfterStoppingServices);
  progress.stepIt();
  return 1;
}

int PendingLaterSteps::startListedServices(ProgressWindow& progress) {
  std::unique_ptr<ServiceManager> manager = ports_.services.openManager();
  if (!manager) return 0;
  if (job_.serviceToStartCount > 0) reportNotBuilt("サービスの開始");
  for (int i = 0; i < job_.serviceToStartCount; ++i) progress.stepIt();
  return 1;
}

int PendingLaterSteps::createShortcuts() {
  if (job_.shortcutEntryCount == 0) return 1;
  reportNotBuilt("ショートカットの作成");
  return 0;
}

int PendingLaterSteps::notifyPrintService() {
  reportNotBuilt("印刷サービスへの通知");
  return 0;
}

}  // namespace quillet
