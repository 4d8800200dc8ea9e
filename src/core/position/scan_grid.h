#pragma once

#include <utility>
#include <vector>

#include "core/design/scan_check.h"

namespace orvendi {

struct DesignRecord;

// Snapshot of the scan settings and the position of a traversal of the grid.
struct ScanState {
  double x_from = 0.0, x_to = 0.0, x_step = 0.0;
  double y_from = 0.0, y_to = 0.0, y_step = 0.0;
  double z_from = 0.0, z_to = 0.0, z_step = 0.0;
  double plane_x = 0.0, plane_y = 0.0, plane_z = 0.0;
  int plane = 0;  // 0 XY, 1 YZ, 2 ZX
  double cur_x = 0.0, cur_y = 0.0, cur_z = 0.0;
  int first_index = 0;
  int second_index = 0;
  int first_count = 0;
  int second_count = 0;
};

// One grid point as the iterator hands it out.
struct ScanPoint {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  int first_index = 0;
  int second_index = 0;
};

// Copies the scan settings of the design and sets the traversal to the first point.
void ScanStart(ScanState& scan, const DesignRecord& design);
// Step counts (first, second) of the plane's two axes, from the snapshot.
std::pair<int, int> ScanStepCounts(const ScanState& scan, int plane);
// Whether the scans of the two designs visit the same points with the same index pairs.
bool SameScanGrid(const DesignRecord& a, const DesignRecord& b);
// Next point with the first axis running fastest; false when the grid is exhausted (the
// output is then left untouched).
bool ScanNextAlongFirst(ScanState& scan, ScanPoint& point);
// Next point with the second axis running fastest.
bool ScanNextAlongSecond(ScanState& scan, ScanPoint& point);

// Measured positions of the last calculation run: (x, y, z) of the point with index pair (i, j)
// at element 3 * (kStride * i + j). Every grid the scan check accepts (up to 100 steps, so 101
// points per axis) has slots of its own. A slot holds NaN where no estimate exists.
class ResultBuffer {
 public:
  static constexpr int kStride = kMaxScanSteps + 1;
  static constexpr int kSize = 3 * kStride * kStride;

  ResultBuffer();

  // Null for an index pair outside the buffer.
  double* Slot(int first_index, int second_index);
  const double* Slot(int first_index, int second_index) const;
  // The quadrature share of the sensor signal at the point (|quadrature| / |in-phase| of the nine
  // voltages); null outside the buffer, NaN where the run did not reach.
  double* Distortion(int first_index, int second_index);
  const double* Distortion(int first_index, int second_index) const;
  // Every slot back to "no estimate".
  void Clear();

 private:
  std::vector<double> values_;
  std::vector<double> distortion_;
};

}  // namespace orvendi
