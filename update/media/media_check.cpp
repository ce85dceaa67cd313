#include "update/media/media_check.h"

#include <vector>

#include "update/media/media_files.h"
#include "update/media/media_list.h"
#include "update/media/media_read.h"
#include "update/script/script_location.h"

namespace quillet {
namespace {

MediaVerdict refuse(MediaRefusal refusal, const std::string& file, const std::string& detail,
                    bool sealed) {
  MediaVerdict verdict;
  verdict.sealed = sealed;
  verdict.refusal = refusal;
  verdict.file = file;
  verdict.detail = detail;
  return verdict;
}

MediaVerdict malformed(const std::string& why) {
  return refuse(MediaRefusal::kChanged, kMediaListName, why, true);
}

MediaVerdict checkSealed(const UpdateJob& job, const CodePage& codePage,
                         const std::string& scriptDigest, const std::string& listBytes,
                         MediaSeal* seal) {
  std::vector<MediaListEntry> entries;
  int badLine = 0;
  if (!parseMediaList(listBytes, &entries, &badLine)) {
    return malformed("line " + std::to_string(badLine) +
                     " is not \"<sha256>  <name>\" with a name inside the media");
  }
  int line = 0;
  for (const MediaListEntry& entry : entries) {
    ++line;
    // A name listed twice is read once; twice with two digests cannot both hold.
    const auto placed = seal->digests.emplace(entry.name, entry.digest);
    if (!placed.second && placed.first->second != entry.digest) {
      return malformed("line " + std::to_string(line) + " lists " + entry.name +
                       " again with another digest");
    }
  }
  std::string listed;
  if (!seal->digestOf(kScriptFileName, codePage, &listed)) {
    return refuse(MediaRefusal::kUnlisted, kScriptFileName,
                  std::string("not in ") + kMediaListName, true);
  }
  if (listed != scriptDigest) {
    return refuse(MediaRefusal::kChanged, kScriptFileName,
                  "sha256 " + scriptDigest + ", listed " + listed, true);
  }
  for (const std::string& mediaName : sealedMediaNames(job, codePage)) {
    if (!seal->digestOf(mediaName, codePage, &listed)) {
      return refuse(MediaRefusal::kUnlisted, shownMediaName(mediaName, codePage),
                    std::string("not in ") + kMediaListName, true);
    }
  }
  MediaVerdict verdict;
  verdict.sealed = true;
  verdict.filesChecked = 1;  // the script
  return verdict;
}

}  // namespace

bool MediaSeal::digestOf(const std::string& mediaName, const CodePage& codePage,
                         std::string* digest) const {
  std::string listName;
  if (!listNameOf(mediaName, codePage, &listName)) return false;
  const auto found = digests.find(listName);
  if (found == digests.end()) return false;
  *digest = found->second;
  return true;
}

MediaVerdict checkUpdateMedia(const UpdateJob& job, FileSystemPort& files,
                              const CodePage& codePage, const std::string& scriptDigest,
                              bool sealRequired, MediaSeal* seal) {
  *seal = MediaSeal();
  std::string listBytes;
  PieceDigest listDigest;
  long error = 0;
  const MediaRead read = readMediaPieces(files, job.sourceDir + "\\" + kMediaListName,
                                         &listDigest, &listBytes, &error);
  if (read == MediaRead::kAbsent && !sealRequired) return MediaVerdict();
  seal->sealed = true;
  if (read == MediaRead::kAbsent) {
    return refuse(MediaRefusal::kMissing, kMediaListName,
                  "missing, and this machine requires sealed media", true);
  }
  // Any other trouble (no access, a network error) is not "unsealed".
  if (read != MediaRead::kRead) {
    return refuse(MediaRefusal::kMissing, kMediaListName,
                  "cannot be read" + (error != 0 ? ", error " + std::to_string(error) : ""),
                  true);
  }
  return checkSealed(job, codePage, scriptDigest, listBytes, seal);
}

}  // namespace quillet
