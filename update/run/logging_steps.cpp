#include "update/run/logging_steps.h"

#include "update/ops/executor.h"

namespace quillet {
namespace {

const char* phaseName(int phase) {
  switch (phase) {
    case kPhasePrevious: return "previous";
    case kPhaseBeforeCopy: return "beforecopy";
    case kPhaseAfterCopy: return "aftercopy";
    default: return "later";
  }
}

std::string listed(const std::string* names, int count, const RunLogger& log) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i == 0 ? "" : ", ") + log.text(names[i]);
  return count == 0 ? "none" : text;
}

}  // namespace

int LoggingSteps::done(const std::string& step, int result) {
  log_.line("step " + step + ": result " + std::to_string(result));
  return result;
}

int LoggingSteps::endListedProcesses() {
  log_.line("step end processes: " + listed(job_.processesToEnd, job_.processToEndCount, log_));
  return done("end processes", inner_.endListedProcesses());
}

int LoggingSteps::launchPhase(int phase) {
  log_.line(std::string("step launch ") + phaseName(phase));
  return done(std::string("launch ") + phaseName(phase), inner_.launchPhase(phase));
}

int LoggingSteps::stopListedServices(ProgressWindow& progress) {
  log_.line("step stop services: " + listed(job_.servicesToStop, job_.serviceToStopCount, log_));
  return done("stop services", inner_.stopListedServices(progress));
}

int LoggingSteps::startListedServices(ProgressWindow& progress) {
  log_.line("step start services: " +
            listed(job_.servicesToStart, job_.serviceToStartCount, log_));
  return done("start services", inner_.startListedServices(progress));
}

int LoggingSteps::createShortcuts() {
  log_.line("step shortcuts");
  return done("shortcuts", inner_.createShortcuts());
}

int LoggingSteps::notifyPrintService() {
  log_.line("step notify print service");
  return done("notify print service", inner_.notifyPrintService());
}

int LoggingSteps::createWorkFolders() {
  log_.line("step work folders");
  return done("work folders", inner_.createWorkFolders());
}

int LoggingSteps::removeTargets() {
  log_.line("step remove targets");
  return done("remove targets", inner_.removeTargets());
}

int LoggingSteps::placeFiles() {
  log_.line("step place files");
  const int first = job_.fileCursor;
  const int result = inner_.placeFiles();
  // Every entry before the cursor was dealt with; a failed copy stops at it.
  for (int i = first; i < job_.fileCursor; ++i) {
    const FileEntry& entry = job_.fileEntries[i];
    if (entry.removeTarget == 1) continue;  // a "remove:" entry, done before
    const bool placed = files_.wasWritten(entry.targetPath);
    log_.line("file " + log_.text(entry.targetPath) +
              (placed ? ": placed" : ": not copied (kept as installed)"));
  }
  if (result != kPlacementComplete && job_.fileCursor < job_.fileEntryCount) {
    const FileEntry& entry = job_.fileEntries[job_.fileCursor];
    log_.line("file " + log_.text(entry.targetPath) + " from " + log_.text(entry.sourcePath) +
              ": failed, " + errorText(files_.lastFailure()));
  }
  return done("place files", result);
}

int LoggingSteps::deletePatchRecords() {
  log_.line("step delete patch records");
  return done("delete patch records", inner_.deletePatchRecords());
}

int LoggingSteps::applyRegistryEntries() {
  log_.line("step registry edits");
  return done("registry edits", inner_.applyRegistryEntries());
}

int LoggingSteps::writePatchRecords() {
  log_.line("step patch records");
  return done("patch records", inner_.writePatchRecords());
}

}  // namespace quillet
