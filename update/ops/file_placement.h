#pragma once
// Placing the update's files: work folders, removal of targets, and the copy
// under the version-or-time rule.
#include <string>

#include "update/ports/code_page.h"
#include "update/ports/files_port.h"
#include "update/script/update_job.h"

namespace quillet {

// Creates the last component of each work folder; failures are ignored.
void createWorkFolders(const UpdateJob& job, FileSystemPort& files);

// deleteTree on the target of every entry marked removeTarget.
void removeTargets(const UpdateJob& job, FileSystemPort& files, const CodePage& codePage);

// Deletes every match of pattern (wildcards in its last component), folders
// with their whole contents, whatever their read-only, hidden or system bits.
// 1 when the search ran or found nothing; 0 when it failed otherwise.
int deleteTree(const std::string& pattern, FileSystemPort& files, const CodePage& codePage);

// Copies the file entries from job.fileCursor on; 5 when the end was reached,
// 0 when a copy failed (fileCursor then stays on the failed entry and its
// installed target is left exactly as it was).
int placeFiles(UpdateJob& job, FileSystemPort& files, const CodePage& codePage);

int targetExists(const std::string& path, FileSystemPort& files);
// 1 when the attributes could be read and written back without read-only.
int clearReadOnly(const std::string& path, FileSystemPort& files);
// 1 when the source may replace the target.
int shouldCopy(const std::string& source, const std::string& target, FileSystemPort& files,
               const CodePage& codePage);
// a*10000 + b*100 + c for a FileVersion "a.b.c"; 0 for none or another shape.
int fileVersionNumber(const std::string& path, FileSystemPort& files, const CodePage& codePage);
int parseFileVersion(const std::string& text, const CodePage& codePage);

// Copies source over target so that a failure leaves the target untouched:
// the data goes to a fresh temporary file beside the target, which then
// replaces it; a target that cannot be replaced by rename (held open with
// write sharing) is overwritten from the temporary instead. A target so near
// the path limit that no temporary name fits is copied onto directly. 1 on
// success; the temporary is gone again either way.
int copyOverTarget(const std::string& source, const std::string& target, FileSystemPort& files,
                   const CodePage& codePage);
// The temporary's name for attempt n: target + "~qt" + n, or, when that
// would pass the 259-byte path limit, the target's folder + "\~qt" + n.
std::string temporaryCopyName(const std::string& target, int attempt, const CodePage& codePage);

}  // namespace quillet
