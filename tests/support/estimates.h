#pragma once

#include <array>

#include "core/design/design_record.h"
#include "core/position/scan_grid.h"

namespace orvendi::testing {

// Stores `estimate(point)`, three coordinates, as the measured position of every point of the
// design's scan grid, as a calculation run would.
template <class Estimate>
void FillEstimates(const DesignRecord& design, ResultBuffer& results, Estimate estimate) {
  ScanState scan;
  ScanStart(scan, design);
  ScanPoint point;
  while (ScanNextAlongFirst(scan, point)) {
    const std::array<double, 3> e = estimate(point);
    double* slot = results.Slot(point.first_index, point.second_index);
    slot[0] = e[0];
    slot[1] = e[1];
    slot[2] = e[2];
  }
}

}  // namespace orvendi::testing
