#include "update/ops/file_placement.h"

#include <cstdint>

#include "update/ops/executor.h"
#include "update/text/mbcs_text.h"
#include "update/ops/registry_edits.h"

namespace quillet {

namespace {

constexpr std::size_t kMaxPathBytes = 259;
constexpr int kTemporaryAttempts = 100;
constexpr int kErrnoNoEntry = 2;

// Removes a temporary copy whatever attributes the source gave it.
void discardTemporary(const std::string& temporary, FileSystemPort& files) {
  files.setAttributes(temporary, kAttrNormal);
  files.deleteFile(temporary);
}

}  // namespace

void createWorkFolders(const UpdateJob& job, FileSystemPort& files) {
  for (int i = 0; i < job.workFolderCount; ++i) files.createDirectory(job.workFolders[i]);
}

void removeTargets(const UpdateJob& job, FileSystemPort& files, const CodePage& codePage) {
  for (int i = 0; i < job.fileEntryCount; ++i) {
    if (job.fileEntries[i].removeTarget == 1) {
      deleteTree(job.fileEntries[i].targetPath, files, codePage);
    }
  }
}

int deleteTree(const std::string& pattern, FileSystemPort& files, const CodePage& codePage) {
  std::string folder = pattern;
  const std::size_t cut = lastCharIndex(pattern, '\\', codePage);
  if (cut != kNotFound && cut > 0) folder.resize(cut);
  folder += '\\';

  FileInfo match;
  int error = 0;
  std::unique_ptr<FileSearch> search = files.findFiles(pattern, &match, &error);
  if (!search) return error == kErrnoNoEntry ? 1 : 0;
  do {
    if (match.name == "." || match.name == "..") continue;
    const std::string path = folder + match.name;
    if (match.attributes & kAttrDirectory) {
      deleteTree(path + "\\*", files, codePage);
      files.setAttributes(path, kAttrArchive);
      files.removeDirectory(path);
    } else {
      files.setAttributes(path, kAttrArchive);
      files.deleteFile(path);
    }
  } while (search->next(&match));
  return 1;
}

int placeFiles(UpdateJob& job, FileSystemPort& files, const CodePage& codePage) {
  int result = kPlacementComplete;
  while (job.fileCursor < job.fileEntryCount) {
    const FileEntry& entry = job.fileEntries[job.fileCursor];
    const bool skip =
        entry.removeTarget == 1 ||
        (entry.onlyIfPresent == 1 && targetExists(entry.targetPath, files) == 0);
    if (!skip) {
      clearReadOnly(entry.targetPath, files);  // a missing target simply fails
      if (entry.skipVersionCheck != 0 ||
          shouldCopy(entry.sourcePath, entry.targetPath, files, codePage) != 0) {
        if (copyOverTarget(entry.sourcePath, entry.targetPath, files, codePage) != 1 ||
            clearReadOnly(entry.targetPath, files) != 1) {
          result = kPlacementFailed;
          break;
        }
      }
    }
    ++job.fileCursor;
  }
  return result;
}

int targetExists(const std::string& path, FileSystemPort& files) {
  FileInfo first;
  int error = 0;
  return files.findFiles(path, &first, &error) ? 1 : 0;
}

int clearReadOnly(const std::string& path, FileSystemPort& files) {
  const std::uint32_t attributes = files.getAttributes(path);
  if (attributes == kInvalidAttributes) return 0;
  return files.setAttributes(path, attributes & ~static_cast<std::uint32_t>(kAttrReadOnly)) ? 1
                                                                                             : 0;
}

int shouldCopy(const std::string& source, const std::string& target, FileSystemPort& files,
               const CodePage& codePage) {
  const int targetVersion = fileVersionNumber(target, files, codePage);
  if (targetVersion != 0) {
    const int sourceVersion = fileVersionNumber(source, files, codePage);
    return (sourceVersion != 0 && sourceVersion < targetVersion) ? 0 : 1;
  }
  FileInfo targetInfo;
  if (!files.findFile(target, &targetInfo)) return 1;
  FileInfo sourceInfo;
  if (!files.findFile(source, &sourceInfo)) return 1;
  return sourceInfo.lastWriteTime < targetInfo.lastWriteTime ? 0 : 1;
}

int fileVersionNumber(const std::string& path, FileSystemPort& files, const CodePage& codePage) {
  std::string text;
  if (!files.fileVersionText(path, &text)) return 0;
  return parseFileVersion(text, codePage);
}

int parseFileVersion(const std::string& text, const CodePage& codePage) {
  // Unsigned arithmetic: absurdly long parts wrap instead of overflowing.
  std::uint32_t value = 0;
  int dotsPassed = 0;
  std::size_t at = 0;
  for (int part = 0; part < 3; ++part) {
    value = value * 100u + static_cast<std::uint32_t>(runtimeAtol(text.substr(at)));
    const std::size_t dot = firstCharIndex(text.substr(at), '.', codePage);
    if (dot == kNotFound) break;
    ++dotsPassed;
    at += dot + 1;
  }
  return dotsPassed == 2 ? static_cast<int>(value) : 0;
}

std::string temporaryCopyName(const std::string& target, int attempt, const CodePage& codePage) {
  const std::string suffix = "~qt" + std::to_string(attempt);
  std::string name = target + suffix;
  if (name.size() <= kMaxPathBytes) return name;
  const std::size_t cut = lastCharIndex(target, '\\', codePage);
  return cut == kNotFound ? suffix : target.substr(0, cut + 1) + suffix;
}

int copyOverTarget(const std::string& source, const std::string& target, FileSystemPort& files,
                   const CodePage& codePage) {
  std::string temporary;
  for (int attempt = 0; attempt < kTemporaryAttempts && temporary.empty(); ++attempt) {
    const std::string candidate = temporaryCopyName(target, attempt, codePage);
    // A target so close to the path limit that no temporary name beside it
    // fits: copy onto it directly rather than fail an entry that can be placed.
    if (candidate.size() > kMaxPathBytes) return files.copyFile(source, target, false) ? 1 : 0;
    if (files.getAttributes(candidate) != kInvalidAttributes) continue;
    // Never overwrites: a name taken since the look above belongs to someone
    // else (another program, a race) and is left alone; the next name is tried.
    const long status = files.copyToNewFile(source, candidate);
    if (status == kErrorSuccess) {
      temporary = candidate;
    } else if (status != kErrorFileExists && status != kErrorAlreadyExists) {
      // The copy created the file and broke off: the partial file is ours.
      discardTemporary(candidate, files);
      return 0;
    }
  }
  if (temporary.empty()) return 0;  // every temporary name is taken
  if (files.replaceFile(temporary, target)) return 1;
  // A target that another program holds open while sharing writes cannot be
  // replaced by rename, but can be overwritten in place, as a plain copy onto
  // it would do. The data now comes from the complete local temporary, so a
  // source that breaks off can no longer cut the installed file short.
  const bool copied = files.copyFile(temporary, target, false);
  discardTemporary(temporary, files);
  return copied ? 1 : 0;
}

}  // namespace quillet
