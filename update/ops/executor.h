#pragma once
// The executor: carries out a confirmed update in its fixed order of steps
// while the progress dialog shows one bar step per step.
#include <cstdint>

#include "update/ops/update_steps.h"
#include "update/ports/update_ports.h"
#include "update/script/update_job.h"

namespace quillet {

// Results of executeUpdate (and of placeFiles).
enum : int { kPlacementFailed = 0, kPlacementComplete = 5 };

// The bar's maximum: stop + start services + 2 x updatePPD + 9, low 16 bits.
int progressMaximum(const UpdateJob& job);
// The PBM_SETRANGE parameter for 0..progressMaximum (maximum in the high word).
unsigned long progressRangeParameter(const UpdateJob& job);

// Runs every step through `steps`; returns 5 (all files placed) or 0 (a copy
// failed). Only ports.ui (progress dialog) and ports.clock (waits) are used
// directly.
int executeUpdate(UpdateJob& job, UpdatePorts& ports, UpdateSteps& steps);

// The tool's run: the real steps of this library, the later steps as far as
// they are built.
int executeUpdate(UpdateJob& job, UpdatePorts& ports);

}  // namespace quillet
