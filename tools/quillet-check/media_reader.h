#pragma once
// How the sealer reads a media file: in pieces, so that a file of any size
// the file system allows is hashed without holding it in memory.
#include <cstddef>
#include <functional>
#include <string>

namespace quillet {

enum class MediaRead {
  kRead,     // every byte went to the sink
  kMissing,  // no file of that name
  kFailed,   // there but not readable as a file (why says what it is)
};

// Takes the file's bytes in order, one piece at a time.
using MediaSink = std::function<void(const char* bytes, std::size_t size)>;

// Reads a media file by its name in the list (UTF-8, "/" between folders).
using MediaReader =
    std::function<MediaRead(const std::string& listName, const MediaSink& sink, std::string* why)>;

}  // namespace quillet
