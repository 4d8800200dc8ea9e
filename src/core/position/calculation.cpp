#include "core/position/calculation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "core/field/bed_field.h"
#include "core/field/bed_model.h"
#include "core/field/coil_field.h"
#include "core/field/eddy_sheet.h"
#include "core/field/field_constants.h"
#include "core/field/loop_geometry.h"
#include "core/field/sheet_bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/platform/progress.h"
#include "core/position/algorithm3.h"

namespace orvendi {

double DipoleCoefficient(const GeneratorRecord& generator) {
  return generator.side_m * generator.side_m * generator.turns * generator.peak_current_a * kMu0OverPi * kPi /
         kFourPi;
}

double NoiseVolts(int draw, double noise_peak_v) {
  return (draw / 32767.0 * 1000.0 - 500.0) * noise_peak_v / 500.0;
}

namespace {

// |quadrature| / |in-phase| over the nine voltages, the sensitivity cancelling; 0 with no signal.
double QuadratureShare(const std::array<Vector3, 9>& in_phase, const std::array<Vector3, 9>& quadrature,
                       const Vector3& axis) {
  double re = 0.0, im = 0.0;
  for (int k = 0; k < kCoilCount; ++k) {
    const double r = axis.x * in_phase[k].x + axis.y * in_phase[k].y + axis.z * in_phase[k].z;
    const double q = axis.x * quadrature[k].x + axis.y * quadrature[k].y + axis.z * quadrature[k].z;
    re += r * r;
    im += q * q;
  }
  return re > 0.0 ? std::sqrt(im / re) : 0.0;
}

// What every point of a run shares, formed once: the field model, the sensor's axis and
// sensitivity, and each generator's dipole coefficient.
struct RunSetup {
  RunSetup(const DesignRecord& design, const EddySheet* sheet) : model(design, sheet) {
    sensitivity = SensorSensitivity(design);
    const double theta = design.sensor_theta_rad;
    const double phi = design.sensor_phi_rad;
    axis = {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)};
    scaled_axis = {sensitivity * axis.x, sensitivity * axis.y, sensitivity * axis.z};
    for (int g = 0; g < kGeneratorCount; ++g) coefficients[g] = DipoleCoefficient(design.generators[g]);
  }
  SensorFieldModel model;
  double sensitivity = 0.0;
  Vector3 axis, scaled_axis;
  std::array<double, 3> coefficients{};
};

void Responses(const DesignRecord& design, const RunSetup& run, NoiseSource& noise, const Vector3& point,
               std::array<double, 9>& n, double* distortion) {
  std::array<Vector3, 9> quadrature;
  const std::array<Vector3, 9> field = run.model.FieldsAt(point, distortion != nullptr ? &quadrature : nullptr);
  if (distortion != nullptr) *distortion = QuadratureShare(field, quadrature, run.axis);

  const Vector3& u = run.scaled_axis;
  double v[9];
  for (int k = 0; k < kCoilCount; ++k) {
    v[k] = u.x * field[k].x + u.y * field[k].y + u.z * field[k].z + design.offset_v;
  }
  // Nine draws at every point, whatever the noise level, so the sequence advances alike.
  for (int k = 0; k < kCoilCount; ++k) v[k] += NoiseVolts(noise.Next(), design.noise_peak_v);

  for (int g = 0; g < kGeneratorCount; ++g) {
    const double scale = run.sensitivity * run.coefficients[g];
    for (int a = 0; a < 3; ++a) n[3 * g + a] = v[3 * g + a] / scale;
  }
}

// The run's sheet, when the run reads one: fetched once, not at every point.
std::shared_ptr<const EddySheet> RunSheet(const DesignRecord& design) {
  if (design.include_bed_currents == 0 || design.bed_model != 1) return nullptr;
  return SheetFor(design);
}

void CalculatePointWith(const DesignRecord& design, const RunSetup& run, ResultBuffer& results, CalculationWork& work,
                        int first_index, int second_index, double x, double y, double z) {
  std::array<double, 9> n;
  double distortion = 0.0;
  Responses(design, run, work.noise, {x, y, z}, n, &distortion);

  // Outputs an algorithm leaves unwritten stay NaN: "no estimate" in the slot.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double ex = nan, ey = nan, ez = nan, angle1 = nan, angle2 = nan;
  if (design.algorithm_type == 1) {
    EstimatePosition1(work.alg1, n, ex, ey, ez, angle1, angle2);
  } else if (design.algorithm_type == 3) {
    EstimatePosition3(run.model, run.coefficients, work.alg1, work.alg2, n, ex, ey, ez, angle1, angle2);
  } else {
    EstimatePosition2(work.alg2, n, ex, ey, ez, angle1, angle2);
  }
  double* slot = results.Slot(first_index, second_index);
  if (slot == nullptr) return;
  slot[0] = ex;
  slot[1] = ey;
  slot[2] = ez;
  *results.Distortion(first_index, second_index) = distortion;
}

}  // namespace

void NormalisedResponses(const DesignRecord& design, NoiseSource& noise, const Vector3& point,
                         std::array<double, 9>& n) {
  const std::shared_ptr<const EddySheet> sheet = RunSheet(design);
  Responses(design, RunSetup(design, sheet.get()), noise, point, n, nullptr);
}

void CalculatePoint(const DesignRecord& design, ResultBuffer& results, CalculationWork& work, int first_index,
                    int second_index, double x, double y, double z) {
  const std::shared_ptr<const EddySheet> sheet = RunSheet(design);
  CalculatePointWith(design, RunSetup(design, sheet.get()), results, work, first_index, second_index, x, y, z);
}

void LoadGeneratorPositions(const DesignRecord& design, CalculationWork& work) {
  // Algorithm 3 starts from algorithm 1's estimate or algorithm 2's.
  if (design.algorithm_type == 1 || design.algorithm_type == 3) {
    for (int g = 0; g < kGeneratorCount; ++g) {
      work.alg1.generator_x[g] = design.generators[g].x;
      work.alg1.generator_y[g] = design.generators[g].y;
    }
  }
  if (design.algorithm_type != 1) {
    for (int g = 0; g < kGeneratorCount; ++g) {
      work.alg2.generator_x[g] = design.generators[g].x;
      work.alg2.generator_y[g] = design.generators[g].y;
    }
  }
}

namespace {

// The grid in scan order. The coordinates are summed step by step, so only the traversal itself
// gives them exactly.
std::vector<ScanPoint> CollectGrid(const DesignRecord& design, double& rows) {
  std::vector<ScanPoint> points;
  ScanState scan;
  ScanStart(scan, design);
  rows = scan.second_count + 1.0;
  ScanPoint point;
  while (ScanNextAlongFirst(scan, point)) points.push_back(point);
  return points;
}

constexpr std::uint64_t kDrawsPerPoint = kCoilCount;

}  // namespace

bool CalculateGrid(const DesignRecord& design, ResultBuffer& results, CalculationWork& work,
                   const std::function<bool(double)>& row_done) {
  results.Clear();
  double rows = 0.0;
  const std::vector<ScanPoint> points = CollectGrid(design, rows);
  const std::int64_t count = static_cast<std::int64_t>(points.size());
  const int first_count = points.empty() ? 0 : points.back().first_index;
  const CalculationWork before = work;
  CalculationWork last = work;
  const std::shared_ptr<const EddySheet> sheet = RunSheet(design);
  const RunSetup run(design, sheet.get());

  // Every point draws its noise at its place in the single sequence and estimates from a work
  // state of its own; the algorithms carry nothing from one point to the next.
  const auto compute = [&](std::int64_t p, int) {
    const ScanPoint& point = points[static_cast<std::size_t>(p)];
    CalculationWork local = before;
    local.noise.Skip(kDrawsPerPoint * static_cast<std::uint64_t>(p));
    CalculatePointWith(design, run, results, local, point.first_index, point.second_index, point.x, point.y,
                       point.z);
    if (p == count - 1) last = local;
  };
  std::int64_t done = count;
  const auto finish = [&](std::int64_t p, int) {
    const ScanPoint& point = points[static_cast<std::size_t>(p)];
    if (point.first_index != first_count || !row_done || row_done((point.second_index + 1) / rows))
      return true;
    done = p + 1;
    return false;
  };
  const bool complete =
      RunInOrder(count, static_cast<int>(std::max<std::int64_t>(count, 1)), compute, finish);

  // As if the run had stopped right after the row that asked it to.
  for (std::int64_t p = done; p < count; ++p) {
    double* slot = results.Slot(points[static_cast<std::size_t>(p)].first_index,
                                points[static_cast<std::size_t>(p)].second_index);
    if (slot == nullptr) continue;
    slot[0] = slot[1] = slot[2] = std::numeric_limits<double>::quiet_NaN();
    *results.Distortion(points[static_cast<std::size_t>(p)].first_index,
                        points[static_cast<std::size_t>(p)].second_index) = std::numeric_limits<double>::quiet_NaN();
  }
  if (complete) {
    work.alg1 = last.alg1;
    work.alg2 = last.alg2;
  }
  work.noise = before.noise;
  work.noise.Skip(kDrawsPerPoint * static_cast<std::uint64_t>(done));
  return complete;
}

void CalculateCommand(DesignRecord& design, ResultBuffer& results, CalculationWork& work,
                      Progress& progress) {
  if (design.include_bed_currents != 0 && !RefreshBedModel(design, progress)) return;

  LoadGeneratorPositions(design, work);

  // The run fills a buffer of its own: the window may repaint from the shown results while other
  // threads compute, and a cancelled run leaves no trace, the previous noise sequence coming back.
  ResultBuffer computed;
  const NoiseSource previous_noise = work.noise;
  if (!CalculateGrid(design, computed, work, [&progress](double share) { return progress.Report(share); })) {
    work.noise = previous_noise;
    return;
  }
  results = std::move(computed);
  design.results_valid = 1;
}

}  // namespace orvendi
