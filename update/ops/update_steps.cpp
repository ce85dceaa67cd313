#include "update/ops/update_steps.h"

#include "update/ops/file_placement.h"
#include "update/ops/patch_records.h"
#include "update/ops/registry_edits.h"

namespace quillet {

int StandardSteps::createWorkFolders() {
  quillet::createWorkFolders(job_, ports_.files);
  return 1;
}

int StandardSteps::removeTargets() {
  quillet::removeTargets(job_, ports_.files, ports_.codePage);
  return 1;
}

int StandardSteps::placeFiles() { return quillet::placeFiles(job_, ports_.files, ports_.codePage); }

int StandardSteps::deletePatchRecords() {
  return quillet::deletePatchRecords(job_, ports_.registry);
}

int StandardSteps::applyRegistryEntries() {
  return quillet::applyRegistryEntries(job_, ports_.registry);
}

int StandardSteps::writePatchRecords() { return quillet::writePatchRecords(job_, ports_.registry); }

}  // namespace quillet
