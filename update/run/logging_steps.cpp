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

int LoggingSteps::endListedProcesses() {
  return logged("end processes", [&] { return inner_.endListedProcesses(); },
                ": " + listed(job_.processesToEnd, job_.processToEndCount, log_));
}

int LoggingSteps::launchPhase(int phase) {
  return logged(std::string("launch ") + phaseName(phase), [&] { return inner_.launchPhase(phase); });
}

int LoggingSteps::stopListedServices(ProgressWindow& progress) {
  return logged("stop services", [&] { return inner_.stopListedServices(progress); },
                ": " + listed(job_.servicesToStop, job_.serviceToStopCount, log_));
}

int LoggingSteps::startListedServices(ProgressWindow& progress) {
  return logged("start services", [&] { return inner_.startListedServices(progress); },
                ": " + listed(job_.servicesToStart, job_.serviceToStartCount, log_));
}

int LoggingSteps::createShortcuts() {
  return logged("shortcuts", [&] { return inner_.createShortcuts(); });
}

int LoggingSteps::notifyPrintService() {
  return logged("notify print service", [&] { return inner_.notifyPrintService(); });
}

int LoggingSteps::createWorkFolders() {
  return logged("work folders", [&] { return inner_.createWorkFolders(); });
}

int LoggingSteps::removeTargets() {
  return logged("remove targets", [&] { return inner_.removeTargets(); });
}

int LoggingSteps::placeFiles() {
  const int first = job_.fileCursor;
  return logged("place files", [&] {
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
    return result;
  });
}

int LoggingSteps::deletePatchRecords() {
  return logged("delete patch records", [&] { return inner_.deletePatchRecords(); });
}

int LoggingSteps::applyRegistryEntries() {
  return logged("registry edits", [&] { return inner_.applyRegistryEntries(); });
}

int LoggingSteps::writePatchRecords() {
  return logged("patch records", [&] { return inner_.writePatchRecords(); });
}

}  // namespace quillet
