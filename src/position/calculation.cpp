#include "position/calculation.h"

#include <cmath>
#include <limits>

#include "field/bed_field.h"
#include "field/bed_model.h"
#include "field/coil_field.h"
#include "platform/host.h"

namespace orvendi {

double DipoleCoefficient(const GeneratorRecord& generator) {
  return generator.side_m * generator.side_m * generator.turns * generator.peak_current_a * 4e-7 *
         3.1415926536 / 12.5663706144;
}

double NoiseVolts(int draw, double noise_peak_v) {
  return (draw / 32767.0 * 1000.0 - 500.0) * noise_peak_v / 500.0;
}

namespace {

// One side of the bed loop seen from a point: everything of the straight-segment field except
// the current, so that the nine coils' bed fields at a point share one geometry. The arithmetic
// is SegmentField's, step for step, so the sums equal BedField's to the bit.
struct BedSideView {
  bool none = true;
  double cos_sum = 0.0, rho = 0.0, nx = 0.0, ny = 0.0, nz = 0.0, n_len = 0.0;
};

BedSideView ViewBedSide(const Vector3& point, const Vector3& a, const Vector3& b) {
  const Vector3 s{b.x - a.x, b.y - a.y, b.z - a.z};
  const Vector3 pa{point.x - a.x, point.y - a.y, point.z - a.z};
  const Vector3 pb{point.x - b.x, point.y - b.y, point.z - b.z};
  const double length_sq = s.x * s.x + s.y * s.y + s.z * s.z;
  const double length = std::sqrt(length_sq);
  const double da_sq = pa.x * pa.x + pa.y * pa.y + pa.z * pa.z;
  const double db_sq = pb.x * pb.x + pb.y * pb.y + pb.z * pb.z;
  const double da = std::sqrt(da_sq);
  const double db = std::sqrt(db_sq);
  BedSideView v;
  v.nx = s.y * pa.z - s.z * pa.y;
  v.ny = s.z * pa.x - s.x * pa.z;
  v.nz = s.x * pa.y - s.y * pa.x;
  v.n_len = std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz);
  if (!(v.n_len >= 1e-20)) return v;
  const double t = (pa.x * s.x + pa.y * s.y + pa.z * s.z) / length_sq;
  const Vector3 foot{a.x + t * s.x, a.y + t * s.y, a.z + t * s.z};
  const double fx = point.x - foot.x;
  const double fy = point.y - foot.y;
  const double fz = point.z - foot.z;
  v.rho = std::sqrt(fx * fx + fy * fy + fz * fz);
  const double cos_a = (length_sq + da_sq - db_sq) / (length * (2.0 * da));
  const double cos_b = (db_sq + length_sq - da_sq) / (db * (2.0 * length));
  v.cos_sum = cos_a + cos_b;
  v.none = false;
  return v;
}

Vector3 BedSideField(const BedSideView& v, double strength) {
  if (v.none) return {};
  const double magnitude = v.cos_sum * strength / v.rho;
  return {magnitude * v.nx / v.n_len, magnitude * v.ny / v.n_len, magnitude * v.nz / v.n_len};
}

struct BedLoopView {
  BedSideView sides[4];
};

BedLoopView ViewBedLoop(const DesignRecord& design, const Vector3& point) {
  const double z = design.bed_z1;
  const Vector3 c1{design.bed_x1, design.bed_y1, z};
  const Vector3 c2{design.bed_x2, design.bed_y1, z};
  const Vector3 c3{design.bed_x2, design.bed_y2, z};
  const Vector3 c4{design.bed_x1, design.bed_y2, z};
  return {{ViewBedSide(point, c1, c2), ViewBedSide(point, c2, c3), ViewBedSide(point, c3, c4),
           ViewBedSide(point, c4, c1)}};
}

// BedField for a current of the given magnitude.
Vector3 BedLoopField(const BedLoopView& view, double current) {
  const double strength = (current * 1.25663706144e-6) / 12.5663706144;
  Vector3 field = BedSideField(view.sides[0], strength);
  field += BedSideField(view.sides[1], strength);
  field += BedSideField(view.sides[2], strength);
  field += BedSideField(view.sides[3], strength);
  return field;
}

}  // namespace

void NormalisedResponses(const DesignRecord& design, NoiseSource& noise, const Vector3& point,
                         std::array<double, 9>& n) {
  std::array<Vector3, 9> field;
  for (int g = 0; g < kGeneratorCount; ++g) {
    field[3 * g] = CoilFieldX(design.generators[g], point);
    field[3 * g + 1] = CoilFieldY(design.generators[g], point);
    field[3 * g + 2] = CoilFieldZ(design.generators[g], point);
  }
  if (design.include_bed_currents != 0) {
    const BedLoopView bed = ViewBedLoop(design, point);
    for (int k = 0; k < kCoilCount; ++k) {
      field[k] += BedLoopField(bed, BedCurrentMagnitude(design.bed_currents[k]));
    }
  }

  const double s = design.sensor_sensitivity_v_per_t;
  const double theta = design.sensor_theta_rad;
  const double phi = design.sensor_phi_rad;
  const double ux = s * (std::sin(theta) * std::cos(phi));
  const double uy = s * (std::sin(theta) * std::sin(phi));
  const double uz = s * std::cos(theta);

  double v[9];
  for (int k = 0; k < kCoilCount; ++k) {
    v[k] = ux * field[k].x + uy * field[k].y + uz * field[k].z + design.offset_v;
  }
  // Nine draws at every point, whatever the noise level, so the sequence advances alike.
  for (int k = 0; k < kCoilCount; ++k) v[k] += NoiseVolts(noise.Next(), design.noise_peak_v);

  for (int g = 0; g < kGeneratorCount; ++g) {
    const double scale = s * DipoleCoefficient(design.generators[g]);
    for (int a = 0; a < 3; ++a) n[3 * g + a] = v[3 * g + a] / scale;
  }
}

void CalculatePoint(const DesignRecord& design, ResultBuffer& results, CalculationWork& work, int first_index,
                    int second_index, double x, double y, double z) {
  std::array<double, 9> n;
  NormalisedResponses(design, work.noise, {x, y, z}, n);

  // Outputs an algorithm leaves unwritten stay NaN: "no estimate" in the slot.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double ex = nan, ey = nan, ez = nan, angle1 = nan, angle2 = nan;
  if (design.algorithm_type == 1) {
    EstimatePosition1(work.alg1, n, ex, ey, ez, angle1, angle2);
  } else {
    EstimatePosition2(work.alg2, n, ex, ey, ez, angle1, angle2);
  }
  double* slot = results.Slot(first_index, second_index);
  if (slot == nullptr) return;
  slot[0] = ex;
  slot[1] = ey;
  slot[2] = ez;
}

void CalculateCommand(DesignRecord& design, ResultBuffer& results, CalculationWork& work, Host& host) {
  if (design.include_bed_currents != 0 && !RefreshBedModel(design, host)) return;

  BusyScope busy(host);
  if (design.algorithm_type == 1) {
    for (int g = 0; g < kGeneratorCount; ++g) {
      work.alg1.generator_x[g] = design.generators[g].x;
      work.alg1.generator_y[g] = design.generators[g].y;
    }
  } else {
    for (int g = 0; g < kGeneratorCount; ++g) {
      work.alg2.generator_x[g] = design.generators[g].x;
      work.alg2.generator_y[g] = design.generators[g].y;
    }
  }

  // A cancelled run leaves no trace: the previous results and noise sequence come back.
  const ResultBuffer previous = results;
  const NoiseSource previous_noise = work.noise;
  results.Clear();

  ScanState scan;
  ScanStart(scan, design);
  const double rows = scan.second_count + 1.0;
  ScanPoint point;
  while (ScanNextAlongFirst(scan, point)) {
    CalculatePoint(design, results, work, point.first_index, point.second_index, point.x, point.y, point.z);
    if (point.first_index == scan.first_count && !host.ReportProgress((point.second_index + 1) / rows)) {
      results = previous;
      work.noise = previous_noise;
      return;
    }
  }
  design.results_valid = 1;
}

}  // namespace orvendi
