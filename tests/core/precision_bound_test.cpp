#include "core/position/precision_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "core/field/bed_model.h"
#include "core/platform/progress.h"
#include "support/default_design.h"
#include "support/thread_count.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;
using testing::ThreadCount;

std::vector<BoundPoint> Bounds(const DesignRecord& design) {
  std::vector<BoundPoint> points;
  EXPECT_TRUE(BoundGrid(design, points, {}));
  return points;
}

// The nine voltages before offset and noise, straight from the fields.
std::array<double, 9> Voltages(const DesignRecord& design, const Vector3& point) {
  const SensorFieldModel model(design);
  const std::array<Vector3, 9> field = model.FieldsAt(point);
  const SensorFrame frame = FrameOf(design.sensor_theta_rad, design.sensor_phi_rad);
  std::array<double, 9> v;
  for (int k = 0; k < 9; ++k) {
    v[k] = design.sensor_sensitivity_v_per_t *
           (frame.axis.x * field[k].x + frame.axis.y * field[k].y + frame.axis.z * field[k].z);
  }
  return v;
}

TEST(PrecisionBound, JacobianMatchesAMuchFinerDifference) {
  struct Case {
    const char* name;
    int real_dipole;
    int bed;
  };
  for (const Case& c : {Case{"ideal", 0, 0}, Case{"real", 1, 0}, Case{"real with bed", 1, 1}}) {
    SCOPED_TRACE(c.name);
    DesignRecord design = DefaultDesign();
    for (GeneratorRecord& g : design.generators) g.real_dipole = c.real_dipole;
    design.include_bed_currents = c.bed;
    design.sensor_theta_rad = 0.7;
    design.sensor_phi_rad = 0.3;
    NoProgress host;
    if (c.bed != 0) {
      ASSERT_TRUE(RefreshBedModel(design, host));
    }
    const SensorFieldModel model(design);
    for (const Vector3 point : {Vector3{0.05, -0.1, 0.3}, Vector3{-0.2, 0.2, 0.15}}) {
      const VoltageJacobian j = VoltageJacobianAt(model, point);
      // Columns by a step 100 times finer: x, y, z, then theta and phi (the azimuth column of the
      // Jacobian is the phi derivative over sin theta).
      constexpr double h = 1e-8;
      for (int c5 = 0; c5 < 5; ++c5) {
        DesignRecord up = design, down = design;
        Vector3 pu = point, pd = point;
        double scale = 1.0;
        switch (c5) {
          case 0: pu.x += h; pd.x -= h; break;
          case 1: pu.y += h; pd.y -= h; break;
          case 2: pu.z += h; pd.z -= h; break;
          case 3: up.sensor_theta_rad += h; down.sensor_theta_rad -= h; break;
          default:
            up.sensor_phi_rad += h;
            down.sensor_phi_rad -= h;
            scale = 1.0 / std::sin(design.sensor_theta_rad);
        }
        const std::array<double, 9> vu = Voltages(up, pu), vd = Voltages(down, pd);
        double norm = 0.0;
        for (int k = 0; k < 9; ++k) norm = std::max(norm, std::fabs(j[k][c5]));
        ASSERT_GT(norm, 0.0);
        for (int k = 0; k < 9; ++k) {
          EXPECT_NEAR(j[k][c5], (vu[k] - vd[k]) / (2 * h) * scale, 1e-6 * norm) << "column " << c5 << " row " << k;
        }
      }
    }
  }
}

TEST(PrecisionBound, ClosedFormFieldsAndSlopesMatchTheRunAndTheDifferencesOverTheGrid) {
  // real dipole, bed included, bed model
  for (const std::array<int, 3> c : {std::array{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}}) {
    SCOPED_TRACE(c[0] * 100 + c[1] * 10 + c[2]);
    DesignRecord design = DefaultDesign();
    for (GeneratorRecord& g : design.generators) g.real_dipole = c[0];
    design.include_bed_currents = c[1];
    design.bed_model = c[2];
    design.bed_cells_x = design.bed_cells_y = 20;
    NoProgress host;
    ASSERT_TRUE(RefreshBedModel(design, host));
    const SensorFieldModel model(design);
    double worst = 0.0, worst_field = 0.0;
    for (const BoundPoint& p : Bounds(design)) {
      SensorFieldModel::Gradients differences;
      model.GradientByDifferences({p.x, p.y, p.z}, differences);
      // The fit's fields come from the same pass: they must be the run's fields to rounding.
      const std::array<Vector3, 9> run = model.FieldsAt({p.x, p.y, p.z});
      // Slopes along the three axes and a slanted one: together every derivative of the field.
      for (const Vector3 axis : {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}, Vector3{0.6, -0.48, 0.64}}) {
        std::array<Vector3, 9> field, slope;
        model.FieldsAndSlopes({p.x, p.y, p.z}, axis, field, &slope);
        for (int k = 0; k < 9; ++k) {
          const double size = std::hypot(run[k].x, run[k].y, run[k].z);
          worst_field = std::max(worst_field, std::hypot(field[k].x - run[k].x, field[k].y - run[k].y,
                                                         field[k].z - run[k].z) / size);
          double norm = 0.0, off = 0.0;
          const double closed[3] = {slope[k].x, slope[k].y, slope[k].z};
          for (int a = 0; a < 3; ++a) {
            const Vector3& d = differences[a][k];
            norm = std::max({norm, std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)});
            off = std::max(off, std::fabs(closed[a] - (axis.x * d.x + axis.y * d.y + axis.z * d.z)));
          }
          worst = std::max(worst, off / norm);
        }
      }
    }
    // The differences' own rounding error: a fourth-order reference lies within 1e-7 of the closed
    // forms but up to 3e-6 from the differences.
    EXPECT_LT(worst, 1e-5);
    // Two roundings of one field: where a coil's four sides nearly cancel, the run's own sum is
    // up to 4e-11 off a long-double reference (the fit's sum 7e-12).
    EXPECT_LT(worst_field, 1e-9);
    std::printf("closed form against differences, largest relative difference %.3g\n", worst);
  }
}

TEST(PrecisionBound, ScalesWithNoiseAndSensitivity) {
  const DesignRecord base = DefaultDesign();
  struct Case {
    const char* name;
    void (*change)(DesignRecord&);
    double factor;
  };
  const Case cases[] = {
      {"noise doubled", [](DesignRecord& d) { d.noise_peak_v *= 2.0; }, 2.0},
      {"sensitivity doubled", [](DesignRecord& d) { d.sensor_sensitivity_v_per_t *= 2.0; }, 0.5},
  };
  DesignRecord noisy = base;
  noisy.noise_peak_v = 1e-4;
  const std::vector<BoundPoint> before = Bounds(noisy);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DesignRecord changed = noisy;
    c.change(changed);
    const std::vector<BoundPoint> after = Bounds(changed);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      ASSERT_TRUE(std::isfinite(before[i].bound_m) && before[i].bound_m > 0.0);
      EXPECT_NEAR(after[i].bound_m, c.factor * before[i].bound_m, 1e-12 * before[i].bound_m);
    }
  }
}

// A generator's current, in the generator and in its three coils alike.
void SetCurrent(DesignRecord& design, int generator, double amps) {
  design.generators[generator].peak_current_a = amps;
  for (CoilRecord& coil : design.generators[generator].coils) coil.peak_current_a = amps;
}

TEST(PrecisionBound, BlindSpotsAreInfiniteAndAnUprightSensorIsNone) {
  struct Case {
    const char* name;
    void (*change)(DesignRecord&);
    bool finite;
  };
  const Case cases[] = {
      {"upright sensor (default)", [](DesignRecord&) {}, true},
      {"no sensitivity", [](DesignRecord& d) { d.sensor_sensitivity_v_per_t = 0.0; }, false},
      {"two generators silent", [](DesignRecord& d) { SetCurrent(d, 1, 0.0); SetCurrent(d, 2, 0.0); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DesignRecord design = DefaultDesign();
    design.noise_peak_v = 1e-4;
    c.change(design);
    const BoundSummary summary = SummariseBounds(Bounds(design));
    EXPECT_EQ(summary.points, 36);
    EXPECT_EQ(summary.singular_points, c.finite ? 0 : 36);
    EXPECT_EQ(std::isfinite(summary.max_bound_m), c.finite);
  }
}

TEST(PrecisionBound, GridIsTheSameBitsOnEveryThreadCountAndStopsWhenAsked) {
  DesignRecord design = DefaultDesign();
  design.noise_peak_v = 3e-5;
  design.sensor_theta_rad = 0.4;
  design.scan_x_step = design.scan_y_step = 0.025;
  std::vector<std::uint64_t> first;
  for (int threads : {1, 2, 7}) {
    ThreadCount count(threads);
    std::vector<std::uint64_t> bits;
    for (const BoundPoint& p : Bounds(design)) bits.push_back(std::bit_cast<std::uint64_t>(p.bound_m));
    if (first.empty()) first = bits;
    EXPECT_EQ(bits, first) << threads << " threads";
  }
  std::vector<BoundPoint> points(3);
  int rows = 0;
  EXPECT_FALSE(BoundGrid(design, points, [&rows](double) { return ++rows < 4; }));
  EXPECT_EQ(rows, 4);
  EXPECT_TRUE(points.empty());
}

}  // namespace
}  // namespace orvendi
