#include "update/media/chunked_sha256.h"

#include <vector>

#include "update/media/sha256.h"

namespace quillet {

bool sha256OfPieces(const PieceReader& read, PieceDigest* digest, const PieceSink& sink) {
  std::vector<char> buffer(kMediaPieceSize);
  Sha256 hash;
  digest->size = 0;
  for (;;) {
    std::size_t got = 0;
    if (!read(buffer.data(), buffer.size(), &got)) return false;
    if (got == 0) break;
    hash.update(buffer.data(), got);
    digest->size += got;
    if (sink && !sink(buffer.data(), got)) return false;
  }
  digest->hex = hash.finishHex();
  return true;
}

}  // namespace quillet
