#include "position/accuracy.h"

#include <cmath>
#include <limits>

namespace orvendi {

void ComputePositionAccuracy(DesignRecord& design, const ResultBuffer& results) {
  if (design.results_valid == 0) return;

  double max_distance = 0.0;
  double sum_sq = 0.0;
  double count = 0.0;
  ScanState scan;
  ScanStart(scan, design);
  ScanPoint point;
  while (ScanNextAlongFirst(scan, point)) {
    const double* slot = results.Slot(point.first_index, point.second_index);
    double d2 = std::numeric_limits<double>::infinity();
    if (slot != nullptr) {
      const double ex = point.x - slot[0];
      const double ey = point.y - slot[1];
      const double ez = point.z - slot[2];
      d2 = ex * ex + ey * ey + ez * ez;
    }
    // A point without an estimate counts as infinitely far off, so failures show in both figures.
    if (!std::isfinite(d2)) d2 = std::numeric_limits<double>::infinity();
    const double d = std::sqrt(d2);
    if (d > max_distance) max_distance = d;
    sum_sq += d2;
    count += 1.0;
  }
  if (count == 0.0) return;
  design.max_error_m = max_distance;
  design.rms_error_m = std::sqrt(sum_sq / count);
}

}  // namespace orvendi
