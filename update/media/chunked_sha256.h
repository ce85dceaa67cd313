#pragma once
// SHA-256 of a file read piece by piece: no file is ever held whole in
// memory, so any size the file system allows can be hashed (and copied
// while hashed) by the 32-bit build as well as the 64-bit one.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace quillet {

// The size of one piece read from a media file.
constexpr std::size_t kMediaPieceSize = 64 * 1024;

// Fills buffer with up to `capacity` bytes; *got 0 at the end of the data.
// False on a read error.
using PieceReader = std::function<bool(char* buffer, std::size_t capacity, std::size_t* got)>;
// Takes one piece after it was hashed (a copy writes it on); false stops.
using PieceSink = std::function<bool(const char* piece, std::size_t size)>;

struct PieceDigest {
  std::string hex;         // 64 lowercase hexadecimal digits
  std::uint64_t size = 0;  // bytes read
};

// Reads every piece until the end, hashing each and handing it to sink (when
// given). False when a read or the sink failed; *digest is then incomplete.
bool sha256OfPieces(const PieceReader& read, PieceDigest* digest,
                    const PieceSink& sink = PieceSink());

}  // namespace quillet
