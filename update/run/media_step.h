#pragma once
// The run's check of its update media (update/media/media_check.h), made
// after the script is read and before anything on the machine changes.
#include <string>

#include "update/media/media_check.h"

namespace quillet {

class UpdateApp;

// 1 when the media may be used; 0 with the message (UTF-8) that names the
// refused file. The outcome goes to the run's log.
int checkRunMedia(UpdateApp& app, std::string* message);

// The message for a refusal; empty for none.
std::string mediaRefusalMessage(const MediaVerdict& verdict);

}  // namespace quillet
