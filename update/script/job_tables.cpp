#include "update/script/job_tables.h"

#include <cstdio>
#include <utility>

namespace quillet {

namespace {

template <typename T>
int appendTo(T* table, int& count, int capacity, T&& item) {
  if (count >= capacity) return 0;
  table[count] = std::move(item);
  ++count;
  return 1;
}

}  // namespace

int appendFileEntry(UpdateJob& job, FileEntry entry) {
  return appendTo(job.fileEntries, job.fileEntryCount, kMaxFileEntries, std::move(entry));
}

int appendShortcutEntry(UpdateJob& job, ShortcutEntry entry) {
  return appendTo(job.shortcutEntries, job.shortcutEntryCount, kMaxShortcutEntries,
                  std::move(entry));
}

int appendLaunchEntry(UpdateJob& job, LaunchEntry entry) {
  if (entry.phase < kPhasePrevious || entry.phase > kPhaseLater) entry.phase = kPhaseLater;
  return appendTo(job.launchEntries, job.launchEntryCount, kMaxLaunchEntries, std::move(entry));
}

int appendWorkFolder(UpdateJob& job, std::string folder) {
  return appendTo(job.workFolders, job.workFolderCount, kMaxWorkFolders, std::move(folder));
}

int appendRegistryEntry(UpdateJob& job, RegistryEntry entry) {
  return appendTo(job.registryEntries, job.registryEntryCount, kMaxRegistryEntries,
                  std::move(entry));
}

int appendPatchInfoEntry(UpdateJob& job, std::string patchId, std::string patchName,
                         ClockPort& clock) {
  if (job.patchInfoEntryCount >= kMaxPatchInfoEntries) return 0;
  LocalTime now = clock.localTime();
  PatchInfoEntry entry;
  entry.patchId = std::move(patchId);
  entry.patchName = std::move(patchName);
  entry.date = patchDateText(now);
  entry.time = patchTimeText(now);
  return appendTo(job.patchInfoEntries, job.patchInfoEntryCount, kMaxPatchInfoEntries,
                  std::move(entry));
}

int appendPatchDeleteEntry(UpdateJob& job, PatchDeleteEntry entry) {
  return appendTo(job.patchDeleteEntries, job.patchDeleteEntryCount, kMaxPatchDeleteEntries,
                  std::move(entry));
}

int appendServiceToStart(UpdateJob& job, std::string service) {
  return appendTo(job.servicesToStart, job.serviceToStartCount, kMaxServicesToStart,
                  std::move(service));
}

int appendServiceToStop(UpdateJob& job, std::string service) {
  return appendTo(job.servicesToStop, job.serviceToStopCount, kMaxServicesToStop,
                  std::move(service));
}

int appendProcessToEnd(UpdateJob& job, std::string process) {
  return appendTo(job.processesToEnd, job.processToEndCount, kMaxProcessesToEnd,
                  std::move(process));
}

std::string patchDateText(const LocalTime& time) {
  char text[48];
  std::snprintf(text, sizeof text, "%d/%02d/%02d", time.year, time.month, time.day);
  return text;
}

std::string patchTimeText(const LocalTime& time) {
  char text[48];
  std::snprintf(text, sizeof text, "%d:%02d:%02d", time.hour, time.minute, time.second);
  return text;
}

}  // namespace quillet
