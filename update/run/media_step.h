#pragma once
// The run's use of its update media (update/media/): the script read once
// and hashed, the list checked after it, the files staged before the first
// change, and the stage removed at every end.
#include <string>

#include "update/media/media_check.h"
#include "update/media/media_stage.h"

namespace quillet {

class UpdateApp;

// What the run knows of its media between the steps.
struct RunMedia {
  std::string scriptDigest;  // of the bytes the script was read from
  MediaSeal seal;
  MediaStage stage;
};

// Reads the script once, in pieces, hashes it and reads the job from those
// very bytes; 1 when the whole script was read into the job.
int readRunScript(UpdateApp& app);

// 1 when the media's list (or its absence) lets the run go on; 0 with the
// message (UTF-8) that names the refused file. The outcome goes to the log.
int checkRunMedia(UpdateApp& app, std::string* message);

// Stages the media files (media_stage.h); 0 when staged, else the exit
// status to end with and its message (a media file refused: 1620; no stage
// on this machine: 1603).
int stageRunMedia(UpdateApp& app, std::string* message);

// The message for a refusal; empty for none.
std::string mediaRefusalMessage(const MediaVerdict& verdict);

}  // namespace quillet
