#pragma once

#include "design/design_record.h"
#include "position/scan_grid.h"

namespace orvendi {

// Maximum and RMS distance between the grid points and their measured positions, into
// max_error_m and rms_error_m. Leaves both unchanged while results_valid is 0.
void ComputePositionAccuracy(DesignRecord& design, const ResultBuffer& results);

}  // namespace orvendi
