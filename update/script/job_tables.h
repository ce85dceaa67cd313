#pragma once
// Appending to the job description's fixed tables. Each append returns 1
// when the entry was added and 0 when the table is full (nothing changes).
#include <string>

#include "update/ports/clock_port.h"
#include "update/script/update_job.h"

namespace quillet {

int appendFileEntry(UpdateJob& job, FileEntry entry);
int appendShortcutEntry(UpdateJob& job, ShortcutEntry entry);
// A phase outside 1..4 is stored as 4 ("later").
int appendLaunchEntry(UpdateJob& job, LaunchEntry entry);
int appendWorkFolder(UpdateJob& job, std::string folder);
int appendRegistryEntry(UpdateJob& job, RegistryEntry entry);
// Stamped with the clock's local date and time at the moment of the append.
int appendPatchInfoEntry(UpdateJob& job, std::string patchId, std::string patchName,
                         ClockPort& clock);
int appendPatchDeleteEntry(UpdateJob& job, PatchDeleteEntry entry);
int appendServiceToStart(UpdateJob& job, std::string service);
int appendServiceToStop(UpdateJob& job, std::string service);
int appendProcessToEnd(UpdateJob& job, std::string process);

// "%d/%02d/%02d" of year, month, day and "%d:%02d:%02d" of hour, minute,
// second: the forms patch records carry.
std::string patchDateText(const LocalTime& time);
std::string patchTimeText(const LocalTime& time);

}  // namespace quillet
