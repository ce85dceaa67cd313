// riphost: a RIP host that loads the raster module, registers one job with
// the host libraries and drives the module's exports over a page.
//
//   riphost --ticket TICKET --out DIR (--send PLANES | --write PLANES16 | --image FILE)
//           [--band-lines N] [--job-id N] [--dump FILE] [--copy-bitmap ID=FILE]...
//
// Each --copy-bitmap registers FILE (a copy bitmap: 256-byte header, then the
// rows) with tessaro under bitmap identifier ID, for the copy layout that the
// ticket's layout_path names.
//
// Exit status 0 when every export succeeded, else 1 with the failing export
// named on standard error, and the cause when riphost can tell it (a job the
// module refuses, a copy bitmap that could not be read).
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "host/riphost/image_input.h"
#include "host/riphost/job_checks.h"
#include "host/riphost/module_loader.h"
#include "host/riphost/spool_target.h"
#include "host/riphost/ticket.h"
#include "host/tessaro/tessaro_host.h"
#include "host/vindal/vindal_data.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

struct CopyBitmapFile {
  int id;
  std::string path;
};

struct Options {
  std::string ticket, out, send, write, image, dump;
  std::vector<CopyBitmapFile> copyBitmaps;
  int bandLines = 64;
  int jobId = 1;
};

int usage(const char* why) {
  std::fprintf(stderr,
               "riphost: %s\nusage: riphost --ticket TICKET --out DIR (--send PLANES | --write PLANES16 | "
               "--image FILE) [--band-lines N] [--job-id N] [--dump FILE] [--copy-bitmap ID=FILE]...\n"
               "  --copy-bitmap ID=FILE  serve FILE as copy bitmap ID to the copy layout named by the ticket's\n"
               "                         layout_path (repeatable)\n",
               why);
  return 1;
}

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (i + 1 >= argc) return false;
    std::string v = argv[++i];
    if (a == "--ticket") o.ticket = v;
    else if (a == "--out") o.out = v;
    else if (a == "--send") o.send = v;
    else if (a == "--write") o.write = v;
    else if (a == "--image") o.image = v;
    else if (a == "--dump") o.dump = v;
    else if (a == "--band-lines") o.bandLines = std::atoi(v.c_str());
    else if (a == "--job-id") o.jobId = std::atoi(v.c_str());
    else if (a == "--copy-bitmap") {
      // ID=FILE, the identifier a whole decimal number.
      std::size_t eq = v.find('=');
      char* end = nullptr;
      long id = eq == std::string::npos ? 0 : std::strtol(v.c_str(), &end, 10);
      if (eq == std::string::npos || eq == 0 || end != v.c_str() + eq || eq + 1 == v.size() || id < INT_MIN ||
          id > INT_MAX)
        return false;
      o.copyBitmaps.push_back(CopyBitmapFile{int(id), v.substr(eq + 1)});
    } else return false;
  }
  int inputs = !o.send.empty() + !o.write.empty() + !o.image.empty();
  return !o.ticket.empty() && !o.out.empty() && inputs == 1 && o.bandLines > 0;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// A Bayer 8 x 8 dither matrix per ink, its columns rotated per ink so that the
// inks do not print on the same dots. No row shift between repetitions: a
// shifted Bayer tile no longer meets its neighbour seamlessly and prints as
// horizontal stripes every eight rows.
void registerDefaultScreen(int screenId) {
  static const int bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                  {12, 44, 4, 36, 14, 46, 6, 38},  {60, 28, 52, 20, 62, 30, 54, 22},
                                  {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
                                  {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};
  static std::int16_t thresholds[4][64];
  PlexorScreenEntry entries[4];
  for (int ink = 0; ink < 4; ++ink) {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) thresholds[ink][y * 8 + x] = std::int16_t(bayer[y][(x + 2 * ink) % 8] * 4 + 2);
    std::memset(&entries[ink], 0, sizeof entries[ink]);
    entries[ink].width = 8;
    entries[ink].height = 8;
    entries[ink].shift = 0;
    entries[ink].thresholds = thresholds[ink];
  }
  TessaroRegisterScreen(screenId, 4, entries);
}

class Progress {
 public:
  explicit Progress(long total) : total_(total), tty_(isatty(fileno(stderr)) != 0) {}
  void update(long done) {
    // On a terminal a single updating line; otherwise a line per tenth.
    if (tty_) {
      std::fprintf(stderr, "\rriphost: %ld of %ld rows", done, total_);
      if (done == total_) std::fputc('\n', stderr);
    } else if (total_ > 0 && (done * 10 / total_ != shown_ || done == total_)) {
      shown_ = done * 10 / total_;
      std::fprintf(stderr, "riphost: %ld of %ld rows\n", done, total_);
    }
  }

 private:
  long total_;
  bool tty_;
  long shown_ = 0;
};

// a x b without wrapping.
bool multiply(std::size_t a, std::size_t b, std::size_t& product) {
  if (b != 0 && a > std::numeric_limits<std::size_t>::max() / b) return false;
  product = a * b;
  return true;
}

// Bytes of one plane: rows of rowBytes bytes. A negative size counts as an
// empty plane (the module refuses such a page itself, before any band).
bool planeSize(long long rowBytes, long long rows, std::size_t& bytes) {
  bytes = 0;
  if (rowBytes <= 0 || rows <= 0) return true;
  return multiply(std::size_t(rowBytes), std::size_t(rows), bytes);
}

int fail(const char* what, const std::string& why = "") {
  std::fprintf(stderr, "riphost: %s failed%s%s\n", what, why.empty() ? "" : ": ", why.c_str());
  return 1;
}

// The copy bitmaps the module could not open or read whole, as tessaro saw
// them: the page went out without their copies.
std::string lostCopies(const std::vector<CopyBitmapFile>& files) {
  std::string text;
  int id = 0, kind = 0;
  for (int i = 0; TessaroCopyBitmapFailure(i, &id, &kind); ++i) {
    std::string file = "not given with --copy-bitmap";
    for (const CopyBitmapFile& f : files)
      if (f.id == id) file = f.path;  // the last registration wins
    text += (text.empty() ? "" : "; ") + std::string("copy bitmap ") + std::to_string(id) + " (" + file + ") " +
            (kind == TESSARO_BITMAP_NOT_OPENED ? "could not be opened" : "came up short");
  }
  return text.empty() ? text : text + ": the page lacks its copies";
}

// Pre-screened rows are read at the module's row length, which a copy
// layout's page can make longer than the rows of the planes file: each band
// is then copied into rows of that length, blank past the file's rows.
class BandLayout {
 public:
  BandLayout(long long fileRow, long long moduleRow)
      : fileRow_(std::size_t(fileRow)), moduleRow_(std::size_t(moduleRow)) {}
  // Room for planes x lines rows; false when the band cannot be held.
  bool reserve(int planes, int lines) {
    if (moduleRow_ == fileRow_) return true;
    std::size_t planeBytes = 0, bytes = 0;
    if (!multiply(moduleRow_, std::size_t(lines), planeBytes) || !multiply(planeBytes, std::size_t(planes), bytes))
      return false;
    try {
      band_.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    planeBytes_ = planeBytes;
    return true;
  }
  // The plane's rows [row, row + lines) as the module reads them.
  void* rows(std::uint8_t* plane, int p, int row, int lines) {
    if (moduleRow_ == fileRow_) return plane + fileRow_ * std::size_t(row);
    std::uint8_t* out = band_.data() + planeBytes_ * std::size_t(p);
    for (int r = 0; r < lines; ++r)
      std::memcpy(out + moduleRow_ * std::size_t(r), plane + fileRow_ * std::size_t(row + r),
                  std::min(fileRow_, moduleRow_));
    return out;
  }

 private:
  std::size_t fileRow_, moduleRow_, planeBytes_ = 0;
  std::vector<std::uint8_t> band_;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) return usage("bad arguments");
  riphost::Ticket ticket;
  std::string error;
  if (!riphost::readTicket(o.ticket, ticket, error)) return usage(error.c_str());

  const int width = ticket.number("width", 0), height = ticket.number("height", 0);
  int planeCount = ticket.number("plane_count", 4);
  const int bits = ticket.number("bits_per_pixel", 1) == 0 ? 1 : ticket.number("bits_per_pixel", 1);
  const int leftOffset = ticket.number("left_offset", 0);
  const long long rowLength = (long long)bits * ((width + (long long)leftOffset + 31) / 32) * 4;

  // The page: pre-screened rows, 16-bit planes, or a picture.
  std::vector<std::uint8_t> data;
  riphost::InkImage picture;
  std::size_t planeBytes = 0;
  if (!o.send.empty()) {
    if (!readFile(o.send, data)) return usage("cannot read the --send planes");
    if (!planeSize(rowLength, height, planeBytes)) return usage("the page is too large");
  } else if (!o.write.empty()) {
    if (!readFile(o.write, data)) return usage("cannot read the --write planes");
    if (!planeSize(2LL * width, height, planeBytes)) return usage("the page is too large");
  } else {
    if (!riphost::readInkImage(o.image, picture, error)) return usage(error.c_str());
    if (picture.width != width || picture.height != height || planeCount != 4) {
      // The ticket's page size governs; the picture must match it.
      return usage("the picture's size or plane count does not match the ticket's width, height and plane_count");
    }
    planeBytes = std::size_t(width) * std::size_t(height) * 2;
    for (auto& p : picture.planes) data.insert(data.end(), p.begin(), p.end());
  }
  // Every plane pointer handed to the module must lie inside the file's bytes.
  std::size_t pageBytes = 0;
  if (!multiply(planeBytes, std::size_t(std::max(planeCount, 0)), pageBytes)) return usage("the page is too large");
  if (data.size() < pageBytes) return usage("the planes file is shorter than the page");

  // What the module will fetch from the host libraries.
  std::vector<std::uint8_t> block = riphost::buildParamBlock(ticket);
  TessaroRegisterPrintParams(o.jobId, block.data());
  TessaroRegisterDevice(ticket.text("device_name", "riphost").c_str(), ticket.text("printer_name").c_str());
  VindalAdjustData adjust;
  vindalDefaultAdjustData(&adjust);
  TessaroRegisterColorAdjustData(ticket.number("colour_adjust_id", 1), &adjust, sizeof adjust);
  registerDefaultScreen(ticket.number("screen_id", 1));
  for (const CopyBitmapFile& b : o.copyBitmaps) {
    if (std::FILE* f = std::fopen(b.path.c_str(), "rb")) std::fclose(f);
    else return usage(("cannot read the copy bitmap " + b.path).c_str());
    TessaroRegisterCopyBitmapFile(b.id, b.path.c_str());
  }

  const bool screened = !o.send.empty();
  const long long moduleRow = screened ? riphost::moduleRowLength(block, width, leftOffset, bits) : rowLength;
  BandLayout bandLayout(rowLength, moduleRow);
  if (!bandLayout.reserve(std::max(planeCount, 0), std::min(o.bandLines, std::max(height, 0)))) {
    std::fprintf(stderr, "riphost: the copy layout's page (rows of %lld bytes) is too wide for bands of %d rows\n",
                 moduleRow, o.bandLines);
    return 1;
  }

  if (!riphost::prepareSpoolTarget(o.out, ticket.text("printer_name"), error)) return usage(error.c_str());

  riphost::Module module;
  const char* path = std::getenv("PLEXOR_VEXMOOR");
  if (!(path && *path ? riphost::loadModule(path, module, error)
                      : riphost::loadModuleBesideProgram(module, error))) {
    std::fprintf(stderr, "riphost: %s\n", error.c_str());
    return 1;
  }

  void* job = module.init(o.jobId, o.dump.empty() ? nullptr : o.dump.c_str(), width, height, planeCount);
  if (!job) {
    riphost::unloadModule(module);
    return fail("InitPrinter_16_FUNC", riphost::openRefusal(block));
  }
  int result = 0;
  const char* failed = nullptr;
  if (module.start(job) != 0) failed = "StartPrinter_16_FUNC";
  std::string why;
  Progress progress(height);
  for (int row = 0; !failed && row < height; row += o.bandLines) {
    int lines = std::min(o.bandLines, height - row);
    void* planes[7] = {};
    for (int p = 0; p < planeCount && p < 7; ++p) {
      std::uint8_t* plane = data.data() + planeBytes * std::size_t(p);
      planes[p] = screened ? bandLayout.rows(plane, p, row, lines) : plane + std::size_t(width) * 2 * std::size_t(row);
    }
    if (screened) {
      if (module.send(job, planes, width, lines, planeCount) != 0) failed = "SendPrinter_16_FUNC";
    } else if (module.write(job, planes, width, lines, planeCount) != 0) {
      failed = "WritePrinter_16_FUNC";
      why = riphost::writeRefusal(block);
    }
    progress.update(row + lines);
  }
  if (height == 0) progress.update(0);
  if (!failed && module.stop(job) != 0) failed = "StopPrinter_16_FUNC";
  if (module.close(job) != 0 && !failed) failed = "ClosePrinter_16_FUNC";
  if (failed) result = fail(failed, why.empty() ? lostCopies(o.copyBitmaps) : why);
  riphost::unloadModule(module);
  TessaroForgetPrintParams(o.jobId);
  return result;
}
