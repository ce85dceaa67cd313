#include "host/riphost/job_checks.h"

#include <cstdlib>

#include "raster/job/colour_pipeline.h"
#include "raster/job/copy_layout.h"
#include "raster/job/host_contract.h"

namespace riphost {
namespace {

void* callocZeroed(void*, std::size_t bytes) { return std::calloc(1, bytes); }
void freeBlock(void*, void* block) { std::free(block); }

int screening(const std::vector<std::uint8_t>& b) { return std::int8_t(b[PPB_SCREENING]); }

}  // namespace

long long moduleRowLength(const std::vector<std::uint8_t>& block, int width, int leftOffset, int bitsPerPixel) {
  long long pageWidth = (long long)width + leftOffset;
  char path[PPB_LAYOUT_PATH_END - PPB_LAYOUT_PATH + 1] = {};
  for (std::size_t n = 0; n + 1 < sizeof path && block[PPB_LAYOUT_PATH + n]; ++n)
    path[n] = char(block[PPB_LAYOUT_PATH + n]);
  vexmoor::JobEnvironment env{};
  env.memory = vexmoor::MemoryPort{nullptr, &callocZeroed, &freeBlock};
  if (vexmoor::CopyLayout* layout = vexmoor::readCopyLayoutFile(env, path, pageWidth, bitsPerPixel)) {
    pageWidth = layout->pageWidth;
    vexmoor::releaseCopyLayout(env, layout);
  }
  return (long long)bitsPerPixel * ((pageWidth + 31) / 32) * 4;
}

std::string openRefusal(const std::vector<std::uint8_t>& block) {
  // The block's fields as the module reads them, judged by the module's own rule.
  const int method = screening(block);
  const vexmoor::JobInks inks =
      vexmoor::jobInks(method, std::int8_t(block[PPB_OUTPUT_PLANES]), std::int8_t(block[PPB_INK_SET]));
  const int colourType = std::int8_t(block[PPB_INPUT_COLOUR_TYPE]);
  switch (vexmoor::inkRefusal(method, inks.count, colourType, inks.inkSet)) {
    case vexmoor::InkRefusal::MorePlanesThanTheStream:
      return "output_planes " + std::to_string(inks.count) + ": the printer's command stream carries four planes";
    case vexmoor::InkRefusal::AdjustedPlanesUnread:
      return "input_colour_type " + std::to_string(colourType) + " differs from ink_set " +
             std::to_string(inks.inkSet) +
             ": the CMYK colour adjustment works in the input planes, which screening would not read";
    case vexmoor::InkRefusal::None: break;
  }
  return "";
}

std::string writeRefusal(const std::vector<std::uint8_t>& block) {
  if (vexmoor::screensContinuousTone(screening(block)) || block[PPB_LAYOUT_PATH] != 0) return "";
  return "screening " + std::to_string(screening(block)) +
         " screens no continuous-tone bands (send screened planes with --send)";
}

}  // namespace riphost
