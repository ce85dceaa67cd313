#pragma once
// How the sealer reads a media file: piece by piece, so that a file of any
// size the file system allows is hashed without holding it in memory.
#include <functional>
#include <string>

#include "update/media/chunked_sha256.h"

namespace quillet {

enum class MediaRead {
  kRead,     // the file was opened and `use` went through it
  kMissing,  // no file of that name
  kFailed,   // there but not readable as a file, or `use` stopped (why says
             // what it is when the reading failed)
};

// Takes the open file's pieces; false stops.
using MediaUse = std::function<bool(const PieceReader& pieces)>;

// Opens a media file by its name in the list (UTF-8, "/" between folders)
// and hands its pieces to use.
using MediaReader =
    std::function<MediaRead(const std::string& listName, const MediaUse& use, std::string* why)>;

}  // namespace quillet
