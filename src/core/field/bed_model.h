#pragma once

#include "core/design/design_record.h"

namespace orvendi {

class Progress;

// Open-loop voltage and current phasors of the bed for each of the nine generator coils: the
// flux of the coil's vertical field through the bed cells, times j omega, driven through the
// resistance of the bed's perimeter. Returns false, leaving the stored results as they were,
// when `progress` asked to stop; it hears a report after every row of every coil, only on this
// thread. The cells are summed on the compute threads in an order that does not depend on their
// number.
bool ComputeBedModel(DesignRecord& design, Progress& progress);

// The one way the bed results are brought up to date before use: when bed_stale is set, run
// the model and clear the flag (the flag stays set if the run was cancelled). Returns whether
// the stored results now match the design.
bool RefreshBedModel(DesignRecord& design, Progress& progress);

}  // namespace orvendi
