#include "update/media/media_read.h"

#include <memory>

#include "update/ports/status_codes.h"

namespace quillet {

MediaRead readMediaPieces(FileSystemPort& files, const std::string& path, PieceDigest* digest,
                          std::string* kept, long* error) {
  *error = kErrorSuccess;
  std::unique_ptr<FileReading> file = files.openToRead(path, error);
  if (!file) {
    return *error == kErrorFileNotFound || *error == kErrorPathNotFound ? MediaRead::kAbsent
                                                                        : MediaRead::kUnreadable;
  }
  if (kept != nullptr) kept->clear();
  const PieceReader read = [&file](char* buffer, std::size_t capacity, std::size_t* got) {
    return file->read(buffer, capacity, got);
  };
  const PieceSink keep = [kept](const char* piece, std::size_t size) {
    if (kept->size() + size > kMaxKeptMediaText) return false;
    kept->append(piece, size);
    return true;
  };
  return sha256OfPieces(read, digest, kept != nullptr ? keep : PieceSink()) ? MediaRead::kRead
                                                                            : MediaRead::kUnreadable;
}

}  // namespace quillet
