#pragma once
// One read of a media file, in pieces and hashed as it goes: the run never
// holds a media file whole, except the two small texts it must parse (the
// script and the list), which it keeps up to a bound.
#include <cstdint>
#include <string>

#include "update/media/chunked_sha256.h"
#include "update/ports/files_port.h"

namespace quillet {

// The most a kept text may hold; a larger script or list is unreadable.
constexpr std::uint64_t kMaxKeptMediaText = 16u * 1024 * 1024;

enum class MediaRead {
  kRead,
  kAbsent,      // the file system says "not found" (file or path)
  kUnreadable,  // any other error while opening or reading, or too large to keep
};

// Reads the file once in pieces and hashes it; with `kept`, its bytes too
// (bounded by kMaxKeptMediaText). *error is the system's error of a failed
// open (0 for a failed read or a text too large).
MediaRead readMediaPieces(FileSystemPort& files, const std::string& path, PieceDigest* digest,
                          std::string* kept, long* error);

}  // namespace quillet
