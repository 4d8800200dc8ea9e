#include "core/analysis/point_results.h"

#include <cmath>
#include <limits>

#include "core/analysis/csv_text.h"
#include "core/position/accuracy.h"

namespace orvendi {

bool HasEstimate(const double* slot) {
  return slot != nullptr && std::isfinite(slot[0]) && std::isfinite(slot[1]) && std::isfinite(slot[2]);
}

PointResults CollectPointResults(const DesignRecord& design, const ResultBuffer& results) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  PointResults out;
  ErrorStatistics statistics;
  ScanState scan;
  ScanStart(scan, design);
  ScanPoint point;
  while (ScanNextAlongFirst(scan, point)) {
    const double* slot = results.Slot(point.first_index, point.second_index);
    const double d2 = SquaredPositionError(point.x, point.y, point.z, slot);
    statistics.Add(d2);
    PointResult row{point.first_index, point.second_index, point.x, point.y, point.z, nan, nan, nan, nan};
    if (HasEstimate(slot)) {
      row.est_x = slot[0];
      row.est_y = slot[1];
      row.est_z = slot[2];
      row.error_m = std::sqrt(d2);
    } else {
      ++out.summary.failed_points;
    }
    out.rows.push_back(row);
  }
  out.summary.points = static_cast<int>(out.rows.size());
  out.summary.max_error_m = out.rows.empty() ? nan : statistics.max_distance;
  out.summary.rms_error_m = out.rows.empty() ? nan : statistics.Rms();
  return out;
}

std::string PointResultsCsv(const std::vector<PointResult>& rows) {
  std::string out =
      "first_index,second_index,true_x_m,true_y_m,true_z_m,estimated_x_m,estimated_y_m,estimated_z_m,error_"
      "m\n";
  for (const PointResult& r : rows) {
    AppendCsvGridLine(out, r.first_index, r.second_index,
                      {r.true_x, r.true_y, r.true_z, r.est_x, r.est_y, r.est_z, r.error_m});
  }
  return out;
}

}  // namespace orvendi
