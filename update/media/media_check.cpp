#include "update/media/media_check.h"

#include <set>
#include <vector>

#include "update/media/media_files.h"
#include "update/media/media_list.h"
#include "update/media/sha256.h"
#include "update/ops/file_placement.h"
#include "update/script/script_location.h"

namespace quillet {
namespace {

std::string pathOf(const UpdateJob& job, const std::string& mediaName) {
  return job.sourceDir + "\\" + mediaName;
}

MediaVerdict refuse(MediaRefusal refusal, const std::string& file, const std::string& detail,
                    const MediaVerdict& sofar) {
  MediaVerdict verdict = sofar;
  verdict.refusal = refusal;
  verdict.file = file;
  verdict.detail = detail;
  return verdict;
}

MediaVerdict checkSealed(const UpdateJob& job, FileSystemPort& files, const CodePage& codePage,
                         const std::string& listBytes) {
  MediaVerdict verdict;
  verdict.sealed = true;
  std::vector<MediaListEntry> entries;
  int badLine = 0;
  if (!parseMediaList(listBytes, &entries, &badLine)) {
    return refuse(MediaRefusal::kChanged, kMediaListName,
                  "line " + std::to_string(badLine) + " is not \"<sha256>  <name>\"", verdict);
  }
  std::set<std::string> listed;  // list names
  for (const MediaListEntry& entry : entries) {
    std::string mediaName;
    if (!mediaNameFromList(entry.name, codePage, &mediaName)) {
      return refuse(MediaRefusal::kMissing, entry.name, "no such name in the code page", verdict);
    }
    const std::string shown = shownMediaName(mediaName, codePage);
    std::string bytes;
    if (!files.readFile(pathOf(job, mediaName), &bytes)) {
      return refuse(MediaRefusal::kMissing, shown, "cannot be read", verdict);
    }
    const std::string digest = sha256Hex(bytes);
    if (digest != entry.digest) {
      return refuse(MediaRefusal::kChanged, shown,
                    std::to_string(bytes.size()) + " bytes, sha256 " + digest + ", listed " +
                        entry.digest,
                    verdict);
    }
    ++verdict.filesChecked;
    listed.insert(entry.name);
  }
  // The script itself, and every file it copies, must be covered.
  std::vector<std::string> needed{kScriptFileName};
  for (const std::string& name : copiedMediaNames(job, codePage)) needed.push_back(name);
  for (const std::string& mediaName : needed) {
    std::string listName;
    if (!listNameOf(mediaName, codePage, &listName) || listed.count(listName) == 0) {
      return refuse(MediaRefusal::kUnlisted, shownMediaName(mediaName, codePage),
                    std::string("not in ") + kMediaListName, verdict);
    }
  }
  return verdict;
}

MediaVerdict checkUnsealed(const UpdateJob& job, FileSystemPort& files, const CodePage& codePage) {
  MediaVerdict verdict;
  std::set<std::string> read;
  for (int i = 0; i < job.fileEntryCount; ++i) {
    const FileEntry& entry = job.fileEntries[i];
    std::string mediaName;
    if (entry.removeTarget == 1 || !mediaNameOf(job.sourceDir, entry.sourcePath, codePage, &mediaName)) {
      continue;
    }
    // The run copies these only onto a target that is there.
    if (entry.onlyIfPresent == 1 && targetExists(entry.targetPath, files) != 1) continue;
    if (!read.insert(mediaName).second) continue;
    std::string bytes;
    if (!files.readFile(entry.sourcePath, &bytes)) {
      return refuse(MediaRefusal::kMissing, shownMediaName(mediaName, codePage), "cannot be read",
                    verdict);
    }
    ++verdict.filesChecked;
  }
  return verdict;
}

}  // namespace

MediaVerdict checkUpdateMedia(const UpdateJob& job, FileSystemPort& files,
                              const CodePage& codePage) {
  const std::string listPath = pathOf(job, kMediaListName);
  if (files.getAttributes(listPath) == kInvalidAttributes) return checkUnsealed(job, files, codePage);
  std::string listBytes;
  if (!files.readFile(listPath, &listBytes)) {
    // A list that is there but cannot be read does not make the media unsealed.
    MediaVerdict verdict;
    verdict.sealed = true;
    return refuse(MediaRefusal::kMissing, kMediaListName, "cannot be read", verdict);
  }
  return checkSealed(job, files, codePage, listBytes);
}

}  // namespace quillet
