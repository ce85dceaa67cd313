// Used only while the script library is not part of the build.
#include "update/script/update_job.h"

namespace quillet {
const ModelRow kModelTable[] = {{nullptr, 0}};
}  // namespace quillet
