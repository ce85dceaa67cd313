#include "update/run/linked_operations.h"

#include "update/ops/executor.h"
#include "update/ops/service_control.h"
#include "update/journal/transaction_steps.h"
#include "update/ops/uninstall_records.h"
#include "update/run/logging_steps.h"
#include "update/run/media_step.h"
#include "update/run/preconditions.h"
#include "update/run/update_app.h"

namespace quillet {

int LinkedOperations::readInstalledProduct(UpdateApp& app) {
  return quillet::readInstalledProduct(app.product, app.ports());
}

int LinkedOperations::resolveFolders(UpdateApp& app) {
  return quillet::resolveFolders(app.job, app.ports());
}

int LinkedOperations::readUpdateScript(UpdateApp& app) { return readRunScript(app); }

int LinkedOperations::checkMedia(UpdateApp& app, std::string* message) {
  return checkRunMedia(app, message);
}

int LinkedOperations::stageMedia(UpdateApp& app, std::string* message) {
  return stageRunMedia(app, message);
}

int LinkedOperations::installedModelMask(const UpdateApp& app) {
  return quillet::installedModelMask(app.product);
}

void LinkedOperations::versionAbortLines(const UpdateApp& app, std::string* firstLine,
                                         std::string* secondLine) {
  const VersionAbortLines lines =
      composeVersionAbortLines(app.product, app.job, app.ports().codePage);
  *firstLine = lines.firstLine;
  *secondLine = lines.secondLine;
}

int LinkedOperations::recordUninstallFile(UpdateApp& app, const std::string& path) {
  return quillet::recordUninstallFile(app.ports().registry, path);
}

int LinkedOperations::recordUninstallFolder(UpdateApp& app, const std::string& path) {
  return quillet::recordUninstallFolder(app.ports().registry, path);
}

int LinkedOperations::executeUpdate(UpdateApp& app) {
  const LoggedPorts* logged = app.loggedPorts();
  StandardSteps steps(app.job, app.ports());
  std::unique_ptr<LoggingSteps> loggedSteps;
  if (logged != nullptr) {
    loggedSteps = std::make_unique<LoggingSteps>(steps, app.job, app.log(), logged->files);
  }
  UpdateSteps& inner = loggedSteps ? static_cast<UpdateSteps&>(*loggedSteps) : steps;
  // The whole run is one transaction: put back on any failure inside it,
  // kept only when it committed.
  if (!app.journal().isOpen()) app.journal().begin(app.job);
  TransactionSteps transaction(inner, app.journal());
  const int result = quillet::executeUpdate(app.job, app.ports(), transaction);
  if (!transaction.committed()) {
    app.journal().rollBack();  // nothing left open (already put back: no-op)
    return 0;
  }
  return result;
}

int LinkedOperations::servicesNotRunning(UpdateApp& app) {
  if (app.job.serviceToStartCount == 0) return 0;
  std::unique_ptr<ServiceManager> manager = app.ports().services.openManager();
  if (!manager) return 0;
  return countServicesNotRunning(*manager, app.job.servicesToStart, app.job.serviceToStartCount);
}

}  // namespace quillet
