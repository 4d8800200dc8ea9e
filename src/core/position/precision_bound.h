#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/design/design_record.h"
#include "core/field/vector3.h"
#include "core/position/sensor_field_model.h"

namespace orvendi {

// Derivatives of the nine sensor voltages (before offset and noise) by the unknowns of a point:
// x, y, z (V/m), then the sensor axis turned towards its theta direction and towards its azimuth
// direction (V/rad). Turning along these two unit directions instead of by theta and phi leaves
// the position bound as it is wherever theta and phi are a chart, and keeps it defined at the
// poles, where the azimuth column would vanish.
using VoltageJacobian = std::array<std::array<double, 5>, 9>;
VoltageJacobian VoltageJacobianAt(const SensorFieldModel& model, const Vector3& point);

// Condition number of J^T J above which a point counts as a blind spot.
inline constexpr double kBlindSpotCondition = 1e12;

// The point's precision bound (m): sqrt of the trace of the position block of
// sigma^2 (J^T J)^-1, sigma^2 = noise_peak_v^2 / 3 the variance of the uniform voltage noise.
// Infinite where J^T J is singular or worse conditioned than kBlindSpotCondition.
double PrecisionBoundAt(const SensorFieldModel& model, const Vector3& point);

struct BoundPoint {
  int first_index = 0;
  int second_index = 0;
  double x = 0.0, y = 0.0, z = 0.0;
  double bound_m = 0.0;
};

// The bound at every point of the scan grid, first axis fastest. The bed results must be current
// when the design includes them. After each row `row_done`, when given, hears the share of rows
// done; when it returns false the run stops, `points` is left empty and false is returned. The
// points are shared out among the compute threads; the result is the same bits on any count.
bool BoundGrid(const DesignRecord& design, std::vector<BoundPoint>& points,
               const std::function<bool(double)>& row_done);

// The figures of a grid's bounds. Like the position errors, a blind spot makes the largest,
// RMS and mean bound infinite; singular_points counts them.
struct BoundSummary {
  std::int64_t points = 0;
  std::int64_t singular_points = 0;
  double max_bound_m = 0.0;
  double rms_bound_m = 0.0;
  double mean_bound_m = 0.0;
};
BoundSummary SummariseBounds(const std::vector<BoundPoint>& points);

}  // namespace orvendi
