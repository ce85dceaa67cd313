#include "update/media/media_stage.h"

#include <map>

#include "update/media/media_files.h"
#include "update/media/media_read.h"
#include "update/ops/file_placement.h"
#include "update/ports/status_codes.h"
#include "update/text/mbcs_text.h"

namespace quillet {

const char kStageFolderName[] = "~qstage";

namespace {

// Room for stages that a program of an earlier run still holds.
constexpr int kStageNames = 10;

std::string stageName(const std::string& productFolder, int number) {
  return productFolder + "\\" + kStageFolderName + std::to_string(number);
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Makes the folders of a media name inside the stage, parents first.
bool makeFoldersOf(const std::string& mediaName, const CodePage& codePage, FileSystemPort& files,
                   MediaStage* stage) {
  for (std::size_t i = 0; i < mediaName.size(); ++i) {
    if (codePage.isLeadByte(static_cast<unsigned char>(mediaName[i]))) {
      ++i;
      continue;
    }
    if (!isSeparator(mediaName[i])) continue;
    const std::string folder = stage->folder + "\\" + mediaName.substr(0, i);
    if (files.getAttributes(folder) != kInvalidAttributes) continue;
    if (!files.createDirectory(folder)) return false;
    stage->folders.push_back(folder);
  }
  return true;
}

struct StageItem {
  std::string name;  // media name
  bool required = false;
  bool launched = false;
};

// The files to stage, each once: required ones must be copied; the others
// (a "replace:" source whose target is absent, an unsealed title picture)
// are staged when they are there.
std::vector<StageItem> itemsOf(const UpdateJob& job, const MediaSeal& seal, FileSystemPort& files,
                               const CodePage& codePage) {
  std::map<std::string, bool> required;
  for (int i = 0; i < job.fileEntryCount; ++i) {
    const FileEntry& entry = job.fileEntries[i];
    std::string name;
    if (entry.removeTarget == 1 || !mediaNameOf(job.sourceDir, entry.sourcePath, codePage, &name)) {
      continue;
    }
    required[name] = required[name] || seal.sealed || entry.onlyIfPresent != 1 ||
                     targetExists(entry.targetPath, files) == 1;
  }
  std::map<std::string, bool> launched;
  for (int i = 0; i < job.launchEntryCount; ++i) {
    std::string name;
    if (launchedMediaName(job.launchEntries[i], job.sourceDir, codePage, &name)) {
      launched[name] = true;
    }
  }
  std::vector<StageItem> items;
  for (const std::string& name : sealedMediaNames(job, codePage)) {
    const bool started = launched.count(name) != 0;
    items.push_back(StageItem{name, started || required[name], started});
  }
  std::string listed;
  if (!seal.sealed || seal.digestOf(kTitlePictureName, codePage, &listed)) {
    items.push_back(StageItem{kTitlePictureName, seal.sealed, false});
  }
  return items;
}

// Points the job's media sources and launches at the staged copies. Every
// media source is pointed there, staged or not: a source that was not there
// can never be taken from the media later.
void pointJobAtStage(UpdateJob& job, const MediaStage& stage, const CodePage& codePage) {
  for (int i = 0; i < job.fileEntryCount; ++i) {
    FileEntry& entry = job.fileEntries[i];
    std::string name;
    if (entry.removeTarget != 1 && mediaNameOf(job.sourceDir, entry.sourcePath, codePage, &name)) {
      entry.sourcePath = stage.folder + "\\" + name;
    }
  }
  for (int i = 0; i < job.launchEntryCount; ++i) {
    LaunchEntry& entry = job.launchEntries[i];
    std::string name;
    if (!launchedMediaName(entry, job.sourceDir, codePage, &name)) continue;
    const std::string staged = stage.folder + "\\" + name;
    if (mediaNameOf(job.sourceDir, entry.commandPath, codePage, &name)) {
      entry.commandPath = staged;
    } else {
      // The script host keeps its place; the script is named in full, quoted.
      const std::size_t host = findOnCharBoundary(entry.commandPath, kScriptHostCommand, codePage);
      entry.commandPath =
          entry.commandPath.substr(0, host + sizeof kScriptHostCommand - 1) + "\"" + staged + "\"";
    }
  }
}

MediaVerdict refused(MediaVerdict verdict, MediaRefusal refusal, const std::string& file,
                     const std::string& detail) {
  verdict.refusal = refusal;
  verdict.file = file;
  verdict.detail = detail;
  return verdict;
}

MediaVerdict stageItems(const UpdateJob& job, const MediaSeal& seal, FileSystemPort& files,
                        const CodePage& codePage, MediaStage* stage) {
  MediaVerdict verdict;
  verdict.sealed = seal.sealed;
  for (const StageItem& item : itemsOf(job, seal, files, codePage)) {
    const std::string shown = shownMediaName(item.name, codePage);
    const std::string staged = stage->folder + "\\" + item.name;
    if (!makeFoldersOf(item.name, codePage, files, stage)) {
      return refused(verdict, MediaRefusal::kNoStage, shown, "its folder cannot be made");
    }
    const std::string source = job.sourceDir + "\\" + item.name;
    if (!item.required && files.getAttributes(source) == kInvalidAttributes) continue;
    // The one read of the media file: the system's copy, in pieces.
    const long status = files.copyToNewFile(source, staged);
    if (status != kErrorSuccess) {
      verdict.error = status;
      // A source that cannot even be opened is the media's fault; one that
      // opens failed on the way into the stage (a full disk, say).
      long openError = 0;
      if (files.openToRead(source, &openError)) {
        return refused(verdict, MediaRefusal::kNoStage, shown, "cannot be copied into the stage");
      }
      return refused(verdict, MediaRefusal::kMissing, shown, "cannot be read");
    }
    stage->files.push_back(staged);
    if (item.launched) stage->running.push_back(staged);
    if (item.name == kTitlePictureName) stage->titlePicture = true;
    std::string listed;
    if (seal.digestOf(item.name, codePage, &listed)) {
      // Checked where nobody but an administrator can change it any more.
      PieceDigest digest;
      long error = 0;
      if (readMediaPieces(files, staged, &digest, nullptr, &error) != MediaRead::kRead) {
        return refused(verdict, MediaRefusal::kMissing, shown, "cannot be read");
      }
      if (digest.hex != listed) {
        return refused(verdict, MediaRefusal::kChanged, shown,
                       std::to_string(digest.size) + " bytes, sha256 " + digest.hex +
                           ", listed " + listed);
      }
    }
    ++verdict.filesChecked;
  }
  return verdict;
}

}  // namespace

MediaVerdict stageUpdateMedia(UpdateJob& job, const MediaSeal& seal, FileSystemPort& files,
                              const CodePage& codePage, const std::string& productFolder,
                              MediaStage* stage) {
  *stage = MediaStage();
  for (int number = 0; number < kStageNames && stage->folder.empty(); ++number) {
    const std::string candidate = stageName(productFolder, number);
    if (files.getAttributes(candidate) != kInvalidAttributes) continue;
    // Never a folder someone else made: it must be created here, with its rights.
    if (files.createPrivateDirectory(candidate)) stage->folder = candidate;
  }
  MediaVerdict verdict;
  verdict.sealed = seal.sealed;
  if (productFolder.empty() || stage->folder.empty()) {
    return refused(verdict, MediaRefusal::kNoStage, productFolder, "no stage can be made there");
  }
  verdict = stageItems(job, seal, files, codePage, stage);
  if (verdict.refusal != MediaRefusal::kNone) {
    stage->running.clear();  // nothing was started
    removeStage(stage, files);
    return verdict;
  }
  pointJobAtStage(job, *stage, codePage);
  return verdict;
}

void removeStage(MediaStage* stage, FileSystemPort& files) {
  if (stage->folder.empty()) return;
  for (const std::string& path : stage->files) {
    bool started = false;
    for (const std::string& running : stage->running) started = started || running == path;
    if (started) continue;
    const std::uint32_t attributes = files.getAttributes(path);
    if (attributes != kInvalidAttributes && (attributes & kAttrReadOnly) != 0) {
      files.setAttributes(path, attributes & ~static_cast<std::uint32_t>(kAttrReadOnly));
    }
    files.deleteFile(path);
  }
  for (auto folder = stage->folders.rbegin(); folder != stage->folders.rend(); ++folder) {
    files.removeDirectory(*folder);  // one that holds a started program stays
  }
  if (files.removeDirectory(stage->folder)) *stage = MediaStage();
}

int removeLeftoverStages(const std::string& productFolder, FileSystemPort& files,
                         const CodePage& codePage) {
  int found = 0;
  if (productFolder.empty()) return 0;
  for (int number = 0; number < kStageNames; ++number) {
    const std::string folder = stageName(productFolder, number);
    if (files.getAttributes(folder) == kInvalidAttributes) continue;
    ++found;
    deleteTree(folder + "\\*", files, codePage);
    files.setAttributes(folder, kAttrDirectory);
    files.removeDirectory(folder);
  }
  return found;
}

}  // namespace quillet
