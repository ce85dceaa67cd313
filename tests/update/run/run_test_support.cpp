#include "tests/update/run/run_test_support.h"

namespace quillet {
namespace {

class TestHandle : public HeldHandle {
 public:
  TestHandle(std::multiset<std::string>& open, std::string name)
      : open_(open), name_(std::move(name)) {
    open_.insert(name_);
  }
  ~TestHandle() override { open_.erase(open_.find(name_)); }

 private:
  std::multiset<std::string>& open_;
  std::string name_;
};

}  // namespace

std::unique_ptr<HeldHandle> TestSystem::createSemaphore(const std::string& name,
                                                        long* lastError) {
  created.push_back(name);
  if (sharedLog != nullptr) sharedLog->push_back("semaphore " + name);
  if (failCreate) {
    *lastError = 5;
    return nullptr;
  }
  // As on Windows: the handle is returned also when the object existed.
  *lastError = heldElsewhere.count(name) != 0 || open.count(name) != 0 ? 183 : 0;
  return std::make_unique<TestHandle>(open, name);
}

int ScriptedOperations::readInstalledProduct(UpdateApp& app) {
  log_.push_back("readInstalledProduct");
  if (productResult != 1) return productResult;
  app.product.installedMajor = majorVersion;
  app.product.installedMinor = minorVersion;
  app.product.programGroupName = productName;
  return 1;
}

int ScriptedOperations::resolveFolders(UpdateApp& app) {
  log_.push_back("resolveFolders");
  app.job.sourceDir = sourceDir;
  return foldersResult;
}

int ScriptedOperations::readUpdateScript(UpdateApp& app) {
  log_.push_back("readUpdateScript");
  if (script) script(app.job);
  return scriptResult;
}

int ScriptedOperations::checkMedia(UpdateApp&, std::string* message) {
  log_.push_back("checkMedia");
  if (mediaResult != 1) *message = mediaMessage;
  return mediaResult;
}

int ScriptedOperations::installedModelMask(const UpdateApp&) {
  log_.push_back("installedModelMask");
  return modelMask;
}

void ScriptedOperations::versionAbortLines(const UpdateApp& app, std::string* firstLine,
                                           std::string* secondLine) {
  log_.push_back("versionAbortLines");
  *firstLine = "installed " + std::to_string(static_cast<long long>(app.product.installedMajor) * 100 +
                                                app.product.installedMinor);
  *secondLine = "bounds " + std::to_string(app.job.versionLower) + ".." +
                std::to_string(app.job.versionUpper);
}

int ScriptedOperations::record(const std::string& entry) {
  log_.push_back("record " + entry);
  const int index = static_cast<int>(recorded.size());
  recorded.push_back(entry);
  return recordFailsAt >= 0 && index >= recordFailsAt ? recordFailureResult : 1;
}

int ScriptedOperations::recordUninstallFile(UpdateApp&, const std::string& path) {
  return record("file " + path);
}

int ScriptedOperations::recordUninstallFolder(UpdateApp&, const std::string& path) {
  return record("folder " + path);
}

int ScriptedOperations::executeUpdate(UpdateApp&) {
  log_.push_back("executeUpdate");
  return executeResult;
}

RunFixture::RunFixture()
    : ports{registry, files, system, clock, ui, services, processes, codePage, shell}, operations(log) {
  ui.sharedLog = &log;
  system.sharedLog = &log;
  app = std::make_unique<UpdateApp>(ports, operations);
}

int RunFixture::run(const char* commandLine, const std::string& appName) {
  app->startFramework(appName, commandLine);
  return app->runUpdate();
}

}  // namespace quillet
