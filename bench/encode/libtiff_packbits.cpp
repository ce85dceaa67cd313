#include "bench/encode/libtiff_packbits.h"

#include <tiffio.h>

#include <cstring>

namespace vexmoor::bench {
namespace {

MemoryTiff& self(thandle_t h) { return *static_cast<MemoryTiff*>(h); }

tmsize_t readProc(thandle_t h, void* buf, tmsize_t size) {
  MemoryTiff& m = self(h);
  const std::size_t n = m.position_ >= m.size_ ? 0 : std::min<std::size_t>(static_cast<std::size_t>(size), m.size_ - m.position_);
  std::memcpy(buf, m.data_.data() + m.position_, n);
  m.position_ += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t writeProc(thandle_t h, void* buf, tmsize_t size) {
  MemoryTiff& m = self(h);
  const std::size_t end = m.position_ + static_cast<std::size_t>(size);
  if (end > m.data_.size()) m.data_.resize(end * 2);
  std::memcpy(m.data_.data() + m.position_, buf, static_cast<std::size_t>(size));
  m.position_ = end;
  if (end > m.size_) m.size_ = end;
  return size;
}

toff_t seekProc(thandle_t h, toff_t off, int whence) {
  MemoryTiff& m = self(h);
  std::size_t target = static_cast<std::size_t>(off);
  if (whence == SEEK_CUR) target = m.position_ + static_cast<std::size_t>(off);
  if (whence == SEEK_END) target = m.size_ + static_cast<std::size_t>(off);
  if (target > m.data_.size()) m.data_.resize(target * 2);
  if (target > m.size_) m.size_ = target;
  m.position_ = target;
  return target;
}

int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t h) { return self(h).size_; }
int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

}  // namespace

bool MemoryTiff::writeStrip(const std::uint8_t* rows, std::size_t rowLength, std::size_t rowCount, bool packBits) {
  size_ = 0;
  position_ = 0;
  TIFF* tif = TIFFClientOpen("memory", "w", this, readProc, writeProc, seekProc, closeProc, sizeProc, mapProc, unmapProc);
  if (tif == nullptr) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(rowLength));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(rowCount));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(rowCount));
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, packBits ? COMPRESSION_PACKBITS : COMPRESSION_NONE);
  const bool ok = TIFFWriteEncodedStrip(tif, 0, const_cast<std::uint8_t*>(rows),
                                        static_cast<tmsize_t>(rowLength * rowCount)) >= 0;
  TIFFClose(tif);
  return ok;
}

bool MemoryTiff::decodesTo(const std::uint8_t* rows, std::size_t rowLength, std::size_t rowCount, bool packBits) {
  position_ = 0;
  // "c": one strip as written (libtiff would cut a large uncompressed one).
  TIFF* tif = TIFFClientOpen("memory", "rc", this, readProc, writeProc, seekProc, closeProc, sizeProc, mapProc, unmapProc);
  if (tif == nullptr) return false;
  std::uint16_t compression = 0;
  std::uint64_t* byteCounts = nullptr;
  std::vector<std::uint8_t> decoded(rowLength * rowCount + 1);
  bool ok = TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression) == 1 &&
            compression == (packBits ? COMPRESSION_PACKBITS : COMPRESSION_NONE) && TIFFNumberOfStrips(tif) == 1 &&
            TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &byteCounts) == 1 && byteCounts != nullptr;
  if (ok) {
    stripBytes_ = static_cast<std::size_t>(byteCounts[0]);
    const tmsize_t n = TIFFReadEncodedStrip(tif, 0, decoded.data(), static_cast<tmsize_t>(decoded.size()));
    ok = n == static_cast<tmsize_t>(rowLength * rowCount) && std::memcmp(decoded.data(), rows, rowLength * rowCount) == 0;
  }
  TIFFClose(tif);
  return ok;
}

}  // namespace vexmoor::bench
