#pragma once
// Putting one journalled change back, and clearing away what a committed
// change left aside. Both can run again on a change already dealt with (the
// tool can be ended half-way through either) and then change nothing.
#include "update/journal/journal_entry.h"
#include "update/ports/code_page.h"
#include "update/ports/files_port.h"
#include "update/ports/registry_port.h"

namespace quillet {

// True when the machine holds the before-image of the change again.
bool undoJournalEntry(const JournalEntry& entry, RegistryPort& registry, FileSystemPort& files);
// The size and CRC-32 of a file's bytes, as a kCopiedAside entry records
// them of the target before its copy aside is made. Read in pieces, so a
// file of any size is stamped in little memory; false when it cannot be read.
bool stampFile(FileSystemPort& files, const std::string& path, std::string* stamp);
// True when nothing that the change set aside is left.
bool finishJournalEntry(const JournalEntry& entry, FileSystemPort& files,
                        const CodePage& codePage);

}  // namespace quillet
