#include "core/position/accuracy.h"

#include <cmath>
#include <limits>

namespace orvendi {

double SquaredPositionError(double x, double y, double z, const double* measured) {
  if (measured == nullptr) return std::numeric_limits<double>::infinity();
  const double ex = x - measured[0];
  const double ey = y - measured[1];
  const double ez = z - measured[2];
  const double d2 = ex * ex + ey * ey + ez * ez;
  return std::isfinite(d2) ? d2 : std::numeric_limits<double>::infinity();
}

void ErrorStatistics::Add(double squared_distance) {
  const double d = std::sqrt(squared_distance);
  if (d > max_distance) max_distance = d;
  sum_sq += squared_distance;
  count += 1.0;
}

double ErrorStatistics::Rms() const { return std::sqrt(sum_sq / count); }

void ComputePositionAccuracy(DesignRecord& design, const ResultBuffer& results) {
  if (design.results_valid == 0) return;

  ErrorStatistics statistics;
  ScanState scan;
  ScanStart(scan, design);
  ScanPoint point;
  while (ScanNextAlongFirst(scan, point)) {
    statistics.Add(
        SquaredPositionError(point.x, point.y, point.z, results.Slot(point.first_index, point.second_index)));
  }
  if (statistics.count == 0.0) return;
  design.max_error_m = statistics.max_distance;
  design.rms_error_m = statistics.Rms();
}

}  // namespace orvendi
