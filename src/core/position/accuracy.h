#pragma once

#include "core/design/design_record.h"
#include "core/position/scan_grid.h"

namespace orvendi {

// Squared distance (m^2) from a grid point to its measured position (three doubles, or null for
// none). A missing, partial or non-finite estimate gives +inf, so that a point without an
// estimate shows in every figure built on it.
double SquaredPositionError(double x, double y, double z, const double* measured);

// Running maximum and root-mean-square of distances, fed one squared distance at a time in a
// fixed order so that the figures are reproducible to the bit.
struct ErrorStatistics {
  double max_distance = 0.0;
  double sum_sq = 0.0;
  double count = 0.0;

  void Add(double squared_distance);
  double Rms() const;
};

// Maximum and RMS distance between the grid points and their measured positions, into
// max_error_m and rms_error_m. Leaves both unchanged while results_valid is 0.
void ComputePositionAccuracy(DesignRecord& design, const ResultBuffer& results);

}  // namespace orvendi
