#pragma once
// The check of the update media's list before the run acts on the script.
//
// Sealed media (a "quillet.sha256" beside the program): the list must be
// well formed, name "quillet.txt" with the digest of the very bytes the
// script was read from, and name every media file the run uses (copied and
// launched, update/media/media_files.h). The files themselves are checked
// when they are staged (media_stage.h): one read each, into the stage.
//
// Media without a list pass here, unless the machine requires a seal; their
// files are read when staged, the same single read.
#include <map>
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
  kNoStage,   // the stage cannot be made on this machine (not a fault of the media)
};

struct MediaVerdict {
  MediaRefusal refusal = MediaRefusal::kNone;
  std::string file;    // the refused file, media name in UTF-8 ("\" between folders)
  std::string detail;  // for the log: what was found
  long error = 0;      // the system's error of a media file that could not be copied
  bool sealed = false;
  int filesChecked = 0;
};

// What the list says, kept for the stage.
struct MediaSeal {
  bool sealed = false;
  std::map<std::string, std::string> digests;  // list name -> digest
  // The listed digest of a media name; false when the list does not name it.
  bool digestOf(const std::string& mediaName, const CodePage& codePage, std::string* digest) const;
};

// scriptDigest: of the bytes the script was read from. sealRequired: the
// machine refuses media without a readable list. Reads only the list.
MediaVerdict checkUpdateMedia(const UpdateJob& job, FileSystemPort& files,
                              const CodePage& codePage, const std::string& scriptDigest,
                              bool sealRequired, MediaSeal* seal);

}  // namespace quillet
