#include "update/script/update_job.h"

namespace quillet {

const ModelRow kModelTable[] = {
    {"QK", 0x1},      {"ZP", 0x2},      {"XWJ", 0x4},     {"KJV", 0x8},
    {"YV", 0x10},     {"WZ", 0x10000},  {"JX", 0x20000},  {"QZ", 0x40000},
    {"ALL", 0x7001F}, {nullptr, 0},
};

}  // namespace quillet
