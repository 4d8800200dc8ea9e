#pragma once

#include <string>
#include <vector>

#include "core/design/design_record.h"
#include "core/position/scan_grid.h"

namespace orvendi {

// One grid point of a calculation run: where the sensor was and where it was estimated to be.
// Without an estimate, est_* and error_m are NaN.
struct PointResult {
  int first_index = 0;
  int second_index = 0;
  double true_x = 0.0, true_y = 0.0, true_z = 0.0;
  double est_x = 0.0, est_y = 0.0, est_z = 0.0;
  double error_m = 0.0;
};

// The figures of the "Position Accuracy" dialog, to the bit: a point without an estimate counts
// as infinitely far off, so both are inf when any point failed. NaN when the grid is empty.
struct ErrorSummary {
  double max_error_m = 0.0;
  double rms_error_m = 0.0;
  int points = 0;
  int failed_points = 0;
};

struct PointResults {
  std::vector<PointResult> rows;  // in the order of ScanNextAlongFirst
  ErrorSummary summary;
};

// Whether a result-buffer slot holds an estimate: three finite coordinates.
bool HasEstimate(const double* slot);

// Walks the design's scan grid against the measured positions in the buffer.
PointResults CollectPointResults(const DesignRecord& design, const ResultBuffer& results);

// The points as CSV: a header and one line per point, empty cells where there is no estimate.
std::string PointResultsCsv(const std::vector<PointResult>& rows);

}  // namespace orvendi
