#include "update/journal/journal_put_back.h"

#include <algorithm>
#include <memory>

#include "update/journal/journal_undo.h"
#include "update/ops/file_placement.h"
#include "update/ops/service_control.h"
#include "update/ops/update_steps.h"
#include "update/text/mbcs_text.h"

namespace quillet {
namespace {

// As long as the update waits after its stops, for the processes of the
// stopped services to let go of their files.
constexpr std::uint32_t kWaitAfterStoppingServices = 2000;
constexpr std::size_t kMaxPathBytes = 259;
constexpr int kAsideAttempts = 100;

bool isKind(const StoredEntry& stored, JournalKind kind) {
  return stored.readable && stored.entry.kind == kind;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& each) { return equalsIgnoringAsciiCase(each, name); });
}

bool runs(ServiceManager& manager, const std::string& name) {
  std::unique_ptr<ServiceHandle> service = manager.openService(name);
  ServiceStatus status;
  return service && service->queryStatus(&status) && status.currentState != kServiceStopped;
}

// Ends the listed processes and stops the journalled services that run
// again; the services stopped, in the order of their stops.
std::vector<std::string> quietMachine(const std::vector<StoredEntry>& entries, UpdatePorts& ports,
                                      const JournalNote& note) {
  std::vector<std::string> processes;
  std::vector<std::string> services;
  for (const StoredEntry& stored : entries) {
    if (isKind(stored, JournalKind::kProcessListed)) processes.push_back(stored.entry.path);
    // A stop whose entry could not be written was never sent.
    if (isKind(stored, JournalKind::kServiceStopped) && !stored.unsure &&
        !contains(services, stored.entry.path)) {
      services.push_back(stored.entry.path);
    }
  }
  if (!processes.empty()) {
    endProcessesNamed(processes.data(), static_cast<int>(processes.size()), ports);
  }
  std::vector<std::string> stopped;
  if (services.empty()) return stopped;
  std::unique_ptr<ServiceManager> manager = ports.services.openManager();
  if (!manager) {
    tell(note, "put back: the service manager cannot be opened");
    return stopped;
  }
  for (const std::string& name : services) {
    if (contains(stopped, name) || !runs(*manager, name)) continue;
    std::vector<std::string> dependents;
    stopServiceTree(*manager, name, ports.clock, &dependents);
    for (const std::string& dependent : dependents) {
      if (!contains(stopped, dependent)) stopped.push_back(dependent);
    }
    stopped.push_back(name);
    tell(note, "put back: service " + name + " stopped");
  }
  if (!stopped.empty()) ports.clock.sleepMs(kWaitAfterStoppingServices);
  return stopped;
}

// A created file that cannot be deleted (a loaded module) is renamed aside,
// the new name journalled first, and deleted now or at restart.
bool setAsideInUse(StoredEntry& stored, const std::vector<StoredEntry>& journalled,
                   JournalStore& store, UpdatePorts& ports) {
  const std::string& path = stored.entry.path;
  if (stored.entry.kind != JournalKind::kFileCreated || !pathPresent(ports.files, path)) return false;
  JournalEntry moved = stored.entry;
  moved.number = 1;
  moved.other = freeNameBeside(path, ports.files, ports.codePage, journalled);
  if (moved.other.empty() || !store.write(stored.number, moved)) return false;
  stored.entry = moved;
  if (ports.files.moveFile(path, moved.other) != kErrorSuccess) return false;
  return undoJournalEntry(moved, ports.registry, ports.files);
}

}  // namespace

void startJournalServices(const std::vector<std::string>& names, UpdatePorts& ports,
                          const std::string& who, const JournalNote& note) {
  if (names.empty()) return;
  std::unique_ptr<ServiceManager> manager = ports.services.openManager();
  if (!manager) {
    tell(note, who + ": the service manager cannot be opened");
    return;
  }
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    const int started = startService(*manager, *name, ports.clock);
    tell(note, who + ": service " + *name + (started == 1 ? " runs" : " does not run"));
  }
}

std::string freeNameBeside(const std::string& path, FileSystemPort& files,
                           const CodePage& codePage, const std::vector<StoredEntry>& journalled) {
  const auto named = [&](const std::string& candidate) {
    for (const StoredEntry& stored : journalled) {
      if (equalsIgnoringAsciiCase(stored.entry.path, candidate) ||
          equalsIgnoringAsciiCase(stored.entry.other, candidate)) {
        return true;
      }
    }
    return false;
  };
  for (int attempt = 0; attempt < kAsideAttempts; ++attempt) {
    const std::string candidate = temporaryCopyName(path, attempt, codePage);
    if (candidate.size() > kMaxPathBytes) return std::string();
    if (!pathPresent(files, candidate) && !named(candidate)) return candidate;
  }
  return std::string();
}

PutBackResult putBackJournal(std::vector<StoredEntry>* entries, JournalStore& store,
                             UpdatePorts& ports, bool startAllServices, const JournalNote& note) {
  PutBackResult result;
  const std::vector<std::string> stopped = quietMachine(*entries, ports, note);
  for (std::size_t i = entries->size(); i-- > 0;) {
    StoredEntry& stored = (*entries)[i];
    if (isKind(stored, JournalKind::kServiceStopped) ||
        isKind(stored, JournalKind::kProcessListed)) {
      continue;  // they live as long as the journal
    }
    if (!stored.readable ||
        (!undoJournalEntry(stored.entry, ports.registry, ports.files) &&
         !setAsideInUse(stored, *entries, store, ports))) {
      tell(note, "put back: cannot put back " + stored.entry.path);
      result.complete = false;
      continue;  // the older changes are still put back
    }
    if (stored.entry.kind == JournalKind::kFileCreated && stored.entry.number == 1 &&
        pathPresent(ports.files, stored.entry.other)) {
      tell(note, "put back: " + stored.entry.path + " is in use; its new version, renamed to " +
                     stored.entry.other + ", is deleted at the next restart");
    }
    store.drop(stored.number);
    entries->erase(entries->begin() + static_cast<std::ptrdiff_t>(i));
    ++result.undone;
  }
  std::vector<std::string> toStart = stopped;
  for (const StoredEntry& stored : *entries) {
    if (!isKind(stored, JournalKind::kServiceStopped) || stored.entry.number != 1 ||
        contains(toStart, stored.entry.path)) {
      continue;
    }
    if (startAllServices) {
      toStart.push_back(stored.entry.path);
    } else {
      result.servicesWaiting = true;
    }
  }
  startJournalServices(toStart, ports, "put back", note);
  if (result.complete && !result.servicesWaiting && !store.erase()) result.complete = false;
  return result;
}

}  // namespace quillet
