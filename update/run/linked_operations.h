#pragma once
// The operations of the other parts as the program links them: the
// preconditions, the script reader, the uninstall records and the executor.
#include "update/run/run_operations.h"

namespace quillet {

class LinkedOperations : public RunOperations {
 public:
  int readInstalledProduct(UpdateApp& app) override;
  int resolveFolders(UpdateApp& app) override;
  int readUpdateScript(UpdateApp& app) override;
  int checkMedia(UpdateApp& app, std::string* message) override;
  int stageMedia(UpdateApp& app, std::string* message) override;
  int installedModelMask(const UpdateApp& app) override;
  void versionAbortLines(const UpdateApp& app, std::string* firstLine,
                         std::string* secondLine) override;
  int recordUninstallFile(UpdateApp& app, const std::string& path) override;
  int recordUninstallFolder(UpdateApp& app, const std::string& path) override;
  int executeUpdate(UpdateApp& app) override;
  int servicesNotRunning(UpdateApp& app) override;
};

}  // namespace quillet
