#include "core/position/precision_bound.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/field/sheet_bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/position/scan_grid.h"

namespace orvendi {

namespace {

double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

VoltageJacobian VoltageJacobianAt(const SensorFieldModel& model, const Vector3& point) {
  const DesignRecord& design = model.design();
  const double s = SensorSensitivity(design);
  const SensorFrame frame = FrameOf(design.sensor_theta_rad, design.sensor_phi_rad);
  std::array<Vector3, 9> field, slope;
  model.FieldsAndSlopes(point, frame.axis, field, &slope);
  VoltageJacobian j;
  for (int k = 0; k < kCoilCount; ++k) {
    j[k][0] = s * slope[k].x;
    j[k][1] = s * slope[k].y;
    j[k][2] = s * slope[k].z;
    j[k][3] = s * Dot(frame.e1, field[k]);
    j[k][4] = s * Dot(frame.e2, field[k]);
  }
  return j;
}

double PrecisionBoundAt(const SensorFieldModel& model, const Vector3& point) {
  const VoltageJacobian j = VoltageJacobianAt(model, point);
  Eigen::Matrix<double, 9, 5> jm;
  for (int k = 0; k < 9; ++k) {
    for (int c = 0; c < 5; ++c) jm(k, c) = j[k][c];
  }
  const Eigen::Matrix<double, 5, 5> normal = jm.transpose() * jm;
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix<double, 5, 5>> eigen(normal);
  const double infinity = std::numeric_limits<double>::infinity();
  if (eigen.info() != Eigen::Success) return infinity;
  const auto& values = eigen.eigenvalues();  // ascending
  if (!(values(0) > 0.0) || !std::isfinite(values(4)) || values(4) > kBlindSpotCondition * values(0))
    return infinity;
  const auto& vectors = eigen.eigenvectors();
  double trace = 0.0;
  for (int a = 0; a < 3; ++a) {
    for (int e = 0; e < 5; ++e) trace += vectors(a, e) * vectors(a, e) / values(e);
  }
  const double noise = model.design().noise_peak_v;
  return std::sqrt(noise * noise / 3.0 * trace);
}

bool BoundGrid(const DesignRecord& design, std::vector<BoundPoint>& points,
               const std::function<bool(double)>& row_done) {
  points.clear();
  std::vector<BoundPoint> grid;
  ScanState scan;
  ScanStart(scan, design);
  const double rows = scan.second_count + 1.0;
  ScanPoint p;
  while (ScanNextAlongFirst(scan, p)) grid.push_back({p.first_index, p.second_index, p.x, p.y, p.z, 0.0});
  const std::int64_t count = static_cast<std::int64_t>(grid.size());
  const int first_count = grid.empty() ? 0 : grid.back().first_index;

  const SensorFieldModel model(design);
  const auto compute = [&](std::int64_t i, int) {
    BoundPoint& point = grid[static_cast<std::size_t>(i)];
    point.bound_m = PrecisionBoundAt(model, {point.x, point.y, point.z});
  };
  const auto finish = [&](std::int64_t i, int) {
    const BoundPoint& point = grid[static_cast<std::size_t>(i)];
    return point.first_index != first_count || !row_done || row_done((point.second_index + 1) / rows);
  };
  if (!RunInOrder(count, static_cast<int>(std::max<std::int64_t>(count, 1)), compute, finish)) return false;
  points = std::move(grid);
  return true;
}

BoundSummary SummariseBounds(const std::vector<BoundPoint>& points) {
  BoundSummary summary;
  double sum = 0.0, sum_sq = 0.0;
  for (const BoundPoint& point : points) {
    ++summary.points;
    if (!std::isfinite(point.bound_m)) ++summary.singular_points;
    summary.max_bound_m = std::max(summary.max_bound_m, point.bound_m);
    sum += point.bound_m;
    sum_sq += point.bound_m * point.bound_m;
  }
  if (summary.points > 0) {
    summary.mean_bound_m = sum / static_cast<double>(summary.points);
    summary.rms_bound_m = std::sqrt(sum_sq / static_cast<double>(summary.points));
  }
  return summary;
}

}  // namespace orvendi
