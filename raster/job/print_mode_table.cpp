#include "raster/job/print_mode_table.h"

#include <cstddef>

namespace vexmoor {
namespace {

struct PrintModeRow {
  int mode;
  int resolution1;
  int resolution2;
  int bitsPerPixel;
  const char16_t* substring;
};

// Rows 11 and 12 are the 2-bit variants of the two banner modes and reuse their numbers.
constexpr PrintModeRow kPrintModeTable[12] = {
    {0, 1440, 1440, 1, u"(Quality1-\u5358)"},
    {1, 1440, 720, 2, u"(Quality2-\u5358)"},
    {2, 720, 720, 2, u"(Quality3-\u9AD8\u54C1\u8CEA-\u5358)"},
    {3, 720, 720, 2, u"(Quality4-\u9AD8\u54C1\u8CEA-\u53CC)"},
    {4, 720, 720, 2, u"(Graphics1-\u9AD8\u901F-\u5358)"},
    {5, 720, 720, 2, u"(Graphics2-\u9AD8\u901F-\u53CC)"},
    {6, 540, 720, 1, u"(Banner1-\u5358)"},
    {7, 540, 720, 1, u"(Banner2-\u53CC)"},
    {8, 720, 720, 2, u"(Banner3-\u9AD8\u54C1\u8CEA-\u5358)"},
    {9, 720, 720, 1, u"(Banner4-\u9AD8\u901F-\u53CC)"},
    {6, 540, 720, 2, u"(Banner1\u5358-\u591A\u968E\u8ABF\u5165)"},
    {7, 540, 720, 2, u"(Banner2\u53CC-\u591A\u968E\u8ABF\u5165)"},
};

bool contains(const char16_t* text, const char16_t* part) {
  for (const char16_t* start = text; *start; ++start) {
    std::size_t i = 0;
    while (part[i] && start[i] == part[i]) ++i;
    if (!part[i]) return true;
  }
  return false;
}

}  // namespace

int lookupPrintMode(int resolution1, int resolution2, int bitsPerPixel, const char16_t* modeName) {
  int found = -1;
  for (const PrintModeRow& row : kPrintModeTable) {
    if (row.resolution1 == resolution1 && row.resolution2 == resolution2 && row.bitsPerPixel == bitsPerPixel &&
        contains(modeName, row.substring))
      found = row.mode;  // the last match wins
  }
  return found;
}

}  // namespace vexmoor
