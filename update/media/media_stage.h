#pragma once
// The stage: before anything changes, every media file the run uses is
// copied once into a folder of the product's that only the system and the
// administrators can write, and checked there; the run then places, patches
// and launches from the staged copies only, never from the media again. So
// what is installed is byte for byte what was checked, whatever happens to
// the media meanwhile, and a file is read from the media once.
#include <string>
#include <vector>

#include "update/media/media_check.h"
#include "update/ports/code_page.h"
#include "update/ports/files_port.h"
#include "update/script/update_job.h"

namespace quillet {

extern const char kStageFolderName[];  // "~qstage", then a digit

struct MediaStage {
  std::string folder;                // empty while none was made
  std::vector<std::string> files;    // paths of the staged copies, in order
  std::vector<std::string> folders;  // folders made inside it, parents first
  std::vector<std::string> running;  // staged programs: a started one may still run
  bool titlePicture = false;         // "title.bmp" staged
};

// Stages the job's media files (sealedMediaNames, then "title.bmp" when the
// seal lists it or, unsealed, when it is there) below productFolder, checks
// each staged copy against the seal, and points the job's sources and
// launches at the copies. A file the run needs that cannot be copied
// refuses (kMissing); a sealed file whose copy differs refuses (kChanged);
// a stage that cannot be made refuses with kNoStage. On a refusal the stage
// is removed again.
MediaVerdict stageUpdateMedia(UpdateJob& job, const MediaSeal& seal, FileSystemPort& files,
                              const CodePage& codePage, const std::string& productFolder,
                              MediaStage* stage);

// Deletes the stage; the programs the run may have started stay, with the
// folders that hold them, for the next start.
void removeStage(MediaStage* stage, FileSystemPort& files);

// Deletes every stage an earlier run left below productFolder (a killed run,
// a program that still ran); the number of stages found.
int removeLeftoverStages(const std::string& productFolder, FileSystemPort& files,
                         const CodePage& codePage);

}  // namespace quillet
