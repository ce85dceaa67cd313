#pragma once
// The check of the update media before the run changes anything.
//
// Sealed media (a "quillet.sha256" beside the program): every file the list
// names must be there, be readable and have its checksum; the list must
// name "quillet.txt" and every media file the job copies.
//
// Media without a list: every media file the job would copy must be there
// and readable. A "replace:" or "overwrite:" source counts only where its
// target exists (else the run does not copy it); "remove:" uses none.
#include <string>

#include "update/ports/code_page.h"
#include "update/ports/files_port.h"
#include "update/script/update_job.h"

namespace quillet {

enum class MediaRefusal {
  kNone,
  kMissing,   // not there, or cannot be read
  kChanged,   // its checksum differs (changed or cut), or the list itself is malformed
  kUnlisted,  // the job needs it, but the list does not name it
};

struct MediaVerdict {
  MediaRefusal refusal = MediaRefusal::kNone;
  std::string file;    // the refused file, media name in UTF-8 ("\" between folders)
  std::string detail;  // for the log: what was found
  bool sealed = false;
  int filesChecked = 0;
};

MediaVerdict checkUpdateMedia(const UpdateJob& job, FileSystemPort& files,
                              const CodePage& codePage);

}  // namespace quillet
