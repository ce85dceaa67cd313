// rtlview: decodes printer command streams and shows what they print.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/rtlview/png_writer.h"
#include "tools/rtlview/preview.h"
#include "tools/rtlview/rtl_stream.h"

namespace {

const char kUsage[] =
    "usage: rtlview [--raw-planes PREFIX] [--png FILE] [--mirror] [--scale N] FILE...\n"
    "  Decodes a printer command stream (one or several spool documents, given\n"
    "  in order; they are read as one stream), checks the job header and trailer\n"
    "  and decodes every raster row.\n"
    "  --png FILE          write a preview: the K, C, M, Y planes composited to RGB\n"
    "  --mirror            turn the rows of the preview back (for mirrored jobs)\n"
    "  --scale N           average N x N pixels into one preview pixel\n"
    "  --raw-planes PREFIX write each plane's decoded rows to PREFIX.plane<i>.raw,\n"
    "                      i being the job's plane number (0 C, 1 M, 2 Y, 3 K)\n"
    "  Exit status: 0 clean stream, 1 malformed stream (each problem is reported\n"
    "  on stderr with its byte offset), 2 usage or file error.\n";

int usage(const char* message) {
  if (message) std::fprintf(stderr, "rtlview: %s\n", message);
  std::fputs(kUsage, stderr);
  return 2;
}

struct Input {
  std::string name;
  std::size_t start;  // offset of the file's first byte in the whole stream
};

}  // namespace

int main(int argc, char** argv) {
  std::string rawPrefix, pngPath;
  bool mirror = false;
  int scale = 1;
  std::vector<std::string> files;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--raw-planes" || arg == "--png" || arg == "--scale") {
      if (a + 1 >= argc) return usage(("option " + arg + " needs a value").c_str());
      const std::string value = argv[++a];
      if (arg == "--raw-planes") rawPrefix = value;
      else if (arg == "--png") pngPath = value;
      else {
        char* end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (end == value.c_str() || *end != '\0' || n < 1 || n > 1024) return usage("--scale needs a number from 1 to 1024");
        scale = static_cast<int>(n);
      }
    } else if (arg == "--mirror") {
      mirror = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage(("unknown option " + arg).c_str());
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) return usage("no input file");

  std::vector<std::uint8_t> data;
  std::vector<Input> inputs;
  for (const std::string& name : files) {
    std::ifstream in(name, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "rtlview: cannot read %s\n", name.c_str());
      return 2;
    }
    inputs.push_back({name, data.size()});
    data.insert(data.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  const rtlview::DecodedStream s = rtlview::decodeStream(data.data(), data.size());
  for (const rtlview::Problem& p : s.problems) {
    std::size_t k = inputs.size() - 1;
    while (k > 0 && inputs[k].start > p.offset) --k;
    if (inputs.size() > 1)
      std::fprintf(stderr, "rtlview: offset %zu (%s offset %zu): %s\n", p.offset, inputs[k].name.c_str(),
                   p.offset - inputs[k].start, p.message.c_str());
    else
      std::fprintf(stderr, "rtlview: offset %zu: %s\n", p.offset, p.message.c_str());
  }
  std::printf("print mode %d, %d bit(s) per pixel, raster width %ld pixels, %d planes\n", s.printMode, s.bitsPerPixel,
              s.pixelsPerRow(), s.planes);
  std::printf("%zu rows of %zu bytes per plane; %zu PackBits and %zu raw transfers; trailer %s\n", s.rows, s.rowBytes,
              s.compressedTransfers, s.rawTransfers, s.trailerSeen ? "present" : "missing");

  if (!rawPrefix.empty() && s.planes == 4) {
    static const int kJobPlane[4] = {3, 0, 1, 2};  // stream order K, C, M, Y
    for (int k = 0; k < 4; ++k) {
      const std::string path = rawPrefix + ".plane" + std::to_string(kJobPlane[k]) + ".raw";
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(s.planeRows[static_cast<std::size_t>(k)].data()),
                static_cast<std::streamsize>(s.planeRows[static_cast<std::size_t>(k)].size()));
      if (!out) {
        std::fprintf(stderr, "rtlview: cannot write %s\n", path.c_str());
        return 2;
      }
    }
  }
  if (!pngPath.empty()) {
    const rtlview::Picture picture = rtlview::composite(s, mirror, scale);
    if (picture.width == 0 || picture.height == 0) {
      std::fprintf(stderr, "rtlview: nothing to show, no PNG written\n");
    } else if (!rtlview::writePng(pngPath, picture.rgb, picture.width, picture.height)) {
      std::fprintf(stderr, "rtlview: cannot write %s\n", pngPath.c_str());
      return 2;
    } else {
      std::printf("preview %ux%u written to %s\n", picture.width, picture.height, pngPath.c_str());
    }
  }
  return s.clean() ? 0 : 1;
}
