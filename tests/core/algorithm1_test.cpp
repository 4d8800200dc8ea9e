#include "core/position/algorithm1.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "support/ideal_responses.h"

namespace orvendi {
namespace {

using testing::Distance;
using testing::IdealResponses;
using testing::kDefaultGenerators;
using testing::SampleSource;
using testing::SensorAxis;

Algorithm1Work WorkFor(const std::array<Vector3, 3>& generators) {
  Algorithm1Work work;
  for (int g = 0; g < 3; ++g) {
    work.generator_x[g] = generators[g].x;
    work.generator_y[g] = generators[g].y;
  }
  return work;
}

// The chord-line intersection as slopes, written out independently of the program.
struct SlopeReference {
  int status;
  Vector3 p;
};
SlopeReference SlopeForm(const Vector3& g0, const Vector3& g1, const Vector3& g2, double r0, double r1,
                         double r2) {
  const double dx1 = g1.x - g0.x, dy1 = g1.y - g0.y, d1 = std::sqrt(dx1 * dx1 + dy1 * dy1);
  const double t1 = r0 * (r0 * r0 + d1 * d1 - r1 * r1) / (2 * r0 * d1);
  const double f1x = g0.x + dx1 * t1 / d1, f1y = g0.y + dy1 * t1 / d1;
  const double dx2 = g2.x - g0.x, dy2 = g2.y - g0.y, d2 = std::sqrt(dx2 * dx2 + dy2 * dy2);
  const double t2 = r0 * (r0 * r0 + d2 * d2 - r2 * r2) / (2 * r0 * d2);
  const double f2x = g0.x + dx2 * t2 / d2, f2y = g0.y + dy2 * t2 / d2;
  const double s1 = -dx1 / dy1, s2 = -dx2 / dy2;
  SlopeReference out;
  out.p.x = (s1 * f1x - s2 * f2x - f1y + f2y) / (s1 - s2);
  out.p.y = f1y + s1 * (out.p.x - f1x);
  const double h2 = r0 * r0 - ((out.p.x - g0.x) * (out.p.x - g0.x) + (out.p.y - g0.y) * (out.p.y - g0.y));
  if (h2 >= 0) {
    out.p.z = std::sqrt(h2);
    out.status = 0;
    return out;
  }
  out.p.z = 0.2;
  if (r0 * r0 - t1 * t1 < 0) {
    out.status = -1;
    return out;
  }
  const double w = std::sqrt(r0 * r0 - t1 * t1);
  out.p.x = f1x + w * dy1 / d1;
  out.p.y = f1y - w * dx1 / d1;
  out.status = std::hypot(out.p.x - g2.x, out.p.y - g2.y) <= r2 ? 1 : -1;
  return out;
}

// --- Trilateration ---------------------------------------------------------------------------

TEST(TrilaterateBracketed, ExactDistancesGiveThePointAboveThePlane) {
  const Vector3 target{0.1, -0.05, 0.4};
  const auto& g = kDefaultGenerators;
  Vector3 p;
  EXPECT_EQ(TrilaterateBracketed(g[0], g[1], g[2], Distance(target, g[0]), Distance(target, g[1]),
                                 Distance(target, g[2]), p),
            kSpheresMeet);
  EXPECT_NEAR(p.x, 0.1, 1e-12);
  EXPECT_NEAR(p.y, -0.05, 1e-12);
  EXPECT_NEAR(p.z, 0.4, 1e-12);

  // A point below the plane has the same ranges; the answer is its mirror image above.
  const Vector3 below{0.1, -0.05, -0.3};
  EXPECT_EQ(TrilaterateBracketed(g[0], g[1], g[2], Distance(below, g[0]), Distance(below, g[1]),
                                 Distance(below, g[2]), p),
            kSpheresMeet);
  EXPECT_NEAR(p.z, 0.3, 1e-12);
}

TEST(TrilaterateBracketed, EqualsTheSlopeFormOnTheDefaultLayout) {
  const auto& g = kDefaultGenerators;
  SampleSource rng(7);
  int counts[3] = {0, 0, 0};
  for (int sample = 0; sample < 2000; ++sample) {
    const double r0 = rng.Uniform(0.05, 1.0), r1 = rng.Uniform(0.05, 1.0), r2 = rng.Uniform(0.05, 1.0);
    Vector3 p;
    const int status = TrilaterateBracketed(g[0], g[1], g[2], r0, r1, r2, p);
    const SlopeReference ref = SlopeForm(g[0], g[1], g[2], r0, r1, r2);
    ASSERT_EQ(status, ref.status) << r0 << " " << r1 << " " << r2;
    EXPECT_NEAR(p.x, ref.p.x, 1e-12 * (1 + std::fabs(ref.p.x)));
    EXPECT_NEAR(p.y, ref.p.y, 1e-12 * (1 + std::fabs(ref.p.y)));
    if (status == 0 && ref.p.z > 1e-3) {
      EXPECT_NEAR(p.z, ref.p.z, 1e-9);
    }
    if (status != 0) {
      EXPECT_EQ(p.z, 0.2);
    }
    ++counts[status + 1];
  }
  // The samples reach every status.
  EXPECT_GT(counts[0], 0);
  EXPECT_GT(counts[1], 0);
  EXPECT_GT(counts[2], 0);
}

TEST(TrilaterateBracketed, GeneratorsSharingAYCoordinateStillWork) {
  // Generators 0 and 1 share y, where the slopes would divide by zero.
  const Vector3 g0{-0.25, 0.25, 0}, g1{0.25, 0.25, 0}, g2{0.0, -0.26, 0};
  const Vector3 target{0.05, 0.1, 0.35};
  Vector3 p;
  EXPECT_EQ(
      TrilaterateBracketed(g0, g1, g2, Distance(target, g0), Distance(target, g1), Distance(target, g2), p),
      kSpheresMeet);
  EXPECT_NEAR(p.x, target.x, 1e-12);
  EXPECT_NEAR(p.y, target.y, 1e-12);
  EXPECT_NEAR(p.z, target.z, 1e-12);
}

TEST(TrilaterateBracketed, CoincidentOrCollinearGeneratorsHaveNoCrossing) {
  const Vector3 a{0, 0, 0}, b{0.3, 0.1, 0}, c{0.6, 0.2, 0}, d{0.1, 0.5, 0};
  const std::array<std::array<Vector3, 3>, 4> layouts = {{{a, a, d}, {a, d, a}, {a, b, c}, {b, a, c}}};
  for (const auto& layout : layouts) {
    Vector3 p{1, 2, 3};
    EXPECT_EQ(TrilaterateBracketed(layout[0], layout[1], layout[2], 0.4, 0.5, 0.6, p), kNoChordCrossing);
    EXPECT_TRUE(std::isnan(p.x) && std::isnan(p.y) && std::isnan(p.z));
  }
}

TEST(TrilaterateBracketed, SpheresThatDoNotMeetGiveZ02AndAVerdict) {
  const auto& g = kDefaultGenerators;
  // The right-hand meeting point of the circles around generators 0 and 1.
  const double r0 = 0.3, r1 = 0.3;
  const double d = Distance(g[0], g[1]);
  const double ux = (g[1].x - g[0].x) / d, uy = (g[1].y - g[0].y) / d;
  const double a = (r0 * r0 - r1 * r1 + d * d) / (2 * d);
  const double h = std::sqrt(r0 * r0 - a * a);
  const Vector3 right{g[0].x + a * ux + h * uy, g[0].y + a * uy - h * ux, 0.2};

  Vector3 p;
  EXPECT_EQ(TrilaterateBracketed(g[0], g[1], g[2], r0, r1, 1.2, p), kRangesTooLong);
  EXPECT_NEAR(p.x, right.x, 1e-12);
  EXPECT_NEAR(p.y, right.y, 1e-12);
  EXPECT_EQ(p.z, 0.2);

  EXPECT_EQ(TrilaterateBracketed(g[0], g[1], g[2], r0, r1, 0.05, p), kRangesTooShort);
  EXPECT_NEAR(p.x, right.x, 1e-12);
  EXPECT_EQ(p.z, 0.2);

  // Circles around generators 0 and 1 that do not meet: too short, x and y of the crossing.
  EXPECT_EQ(TrilaterateBracketed(g[0], g[1], g[2], 0.05, 0.05, 0.05, p), kRangesTooShort);
  const SlopeReference ref = SlopeForm(g[0], g[1], g[2], 0.05, 0.05, 0.05);
  EXPECT_NEAR(p.x, ref.p.x, 1e-12);
  EXPECT_NEAR(p.y, ref.p.y, 1e-12);
  EXPECT_EQ(p.z, 0.2);
}

// --- Estimation ------------------------------------------------------------------------------

TEST(EstimatePosition1, RecoversTheReferenceSensor) {
  const Vector3 target{0.1, -0.05, 0.4};
  const auto n = IdealResponses(kDefaultGenerators, target, SensorAxis(0.3, 1.0));
  double x, y, z, a1 = 7, a2 = 7;
  Algorithm1Work work = WorkFor(kDefaultGenerators);
  ASSERT_EQ(EstimatePosition1(work, n, x, y, z, a1, a2), 1);
  EXPECT_LT(Distance({x, y, z}, target), 1e-4);
  EXPECT_EQ(a1, 0.0);
  EXPECT_EQ(a2, 0.0);
  EXPECT_GE(work.iterations, 2);
  EXPECT_LE(work.iterations, 25);
}

// A layout with the sensor exactly 1 m from generator 0 and its axis across that direction, so
// generator 0's response is (0, -1, 0): a magnitude of exactly 1.
struct UnitMagnitudeCase {
  std::array<Vector3, 3> generators{Vector3{0, 0, 0}, Vector3{0.6, 0.3, 0}, Vector3{0.9, -0.2, 0}};
  Vector3 target{0.6, 0.0, 0.8};
  std::array<double, 9> n;
  UnitMagnitudeCase() {
    n = IdealResponses(generators, target, {0, 1, 0});
    n[0] = 0.0;
    n[1] = -1.0;
    n[2] = 0.0;
  }
};

TEST(EstimatePosition1, MagnitudeOfExactlyOnePassesAndBelowFails) {
  UnitMagnitudeCase c;
  double x = 5, y = 5, z = 5, a1 = 5, a2 = 5;
  Algorithm1Work work = WorkFor(c.generators);
  ASSERT_EQ(EstimatePosition1(work, c.n, x, y, z, a1, a2), 1);
  EXPECT_LT(Distance({x, y, z}, c.target), 1e-4);

  c.n[1] = -0.999;
  x = y = z = a1 = a2 = 5;
  EXPECT_EQ(EstimatePosition1(work, c.n, x, y, z, a1, a2), 0);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 5);
  EXPECT_EQ(z, 5);
  EXPECT_EQ(a1, 5);
  EXPECT_EQ(a2, 5);
}

TEST(EstimatePosition1, TheFirstIterationNeverConverges) {
  // Responses whose first ranges (all angles 0) are already right, for a point within 0.1 mm of
  // the starting position (0, 0, 0): the first iteration lands next to it, yet only the second
  // may end the loop. Each response is tilted by 1e-6 rad so arccos stays inside its domain.
  const Vector3 target{0.0, 0.0, 5e-5};
  std::array<double, 9> n{};
  for (int g = 0; g < 3; ++g) {
    const Vector3& gen = kDefaultGenerators[g];
    const double r = Distance(target, gen);
    const double ux = (target.x - gen.x) / r, uy = (target.y - gen.y) / r, uz = (target.z - gen.z) / r;
    // A unit vector across the direction, in the vertical plane through it.
    const double h = std::hypot(ux, uy);
    const double wx = -uz * ux / h, wy = -uz * uy / h, wz = h;
    const double m = 2 / (r * r * r), c = std::cos(1e-6), s = std::sin(1e-6);
    n[3 * g] = m * (c * ux + s * wx);
    n[3 * g + 1] = m * (c * uy + s * wy);
    n[3 * g + 2] = m * (c * uz + s * wz);
  }
  double x, y, z, a1, a2;
  Algorithm1Work work = WorkFor(kDefaultGenerators);
  ASSERT_EQ(EstimatePosition1(work, n, x, y, z, a1, a2), 1);
  EXPECT_EQ(work.iterations, 2);
  EXPECT_LT(Distance({x, y, z}, target), 1e-6);
}

TEST(EstimatePosition1, FailsWithOutputsUntouched) {
  double x = 5, y = 5, z = 5, a1 = 5, a2 = 5;
  const auto untouched = [&] { return x == 5 && y == 5 && z == 5 && a1 == 5 && a2 == 5; };
  Algorithm1Work work = WorkFor(kDefaultGenerators);

  // Ranges so short that the spheres never meet: every trilateration reports a status, so no
  // iteration converges.
  std::array<double, 9> tiny{};
  for (int g = 0; g < 3; ++g) tiny[3 * g + 2] = 1e6;
  EXPECT_EQ(EstimatePosition1(work, tiny, x, y, z, a1, a2), 0);
  EXPECT_EQ(work.iterations, 25);
  EXPECT_TRUE(untouched());

  // Responses that are not numbers (zero sensitivity or coils): no position, no arithmetic trap.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {nan, inf, -inf}) {
    auto n = IdealResponses(kDefaultGenerators, {0.1, -0.05, 0.4}, SensorAxis(0.3, 1.0));
    n[4] = bad;
    EXPECT_EQ(EstimatePosition1(work, n, x, y, z, a1, a2), 0);
    EXPECT_TRUE(untouched());
  }

  // Generators on one line: no trilateration exists.
  const std::array<Vector3, 3> line{Vector3{-0.25, 0, 0}, Vector3{0, 0, 0}, Vector3{0.25, 0, 0}};
  const auto n = IdealResponses(line, {0.1, 0.1, 0.3}, SensorAxis(0.3, 1.0));
  Algorithm1Work line_work = WorkFor(line);
  EXPECT_EQ(EstimatePosition1(line_work, n, x, y, z, a1, a2), 0);
  EXPECT_EQ(line_work.iterations, 1);
  EXPECT_TRUE(untouched());
}

TEST(EstimatePosition1, WorksWhenGeneratorsShareAYCoordinate) {
  const std::array<Vector3, 3> layout{Vector3{-0.25, 0.25, 0}, Vector3{0.25, 0.25, 0}, Vector3{0, -0.26, 0}};
  const Vector3 target{0.05, 0.1, 0.35};
  const auto n = IdealResponses(layout, target, SensorAxis(0.7, 2.0));
  double x, y, z, a1, a2;
  Algorithm1Work work = WorkFor(layout);
  ASSERT_EQ(EstimatePosition1(work, n, x, y, z, a1, a2), 1);
  EXPECT_LT(Distance({x, y, z}, target), 1e-4);
}

TEST(EstimatePosition1, RandomPosesInTheWorkingVolume) {
  SampleSource rng(1000);
  Algorithm1Work work = WorkFor(kDefaultGenerators);
  int successes = 0;
  int far_off = 0;
  const int samples = 1000;
  for (int i = 0; i < samples; ++i) {
    const Vector3 target{rng.Uniform(-0.25, 0.25), rng.Uniform(-0.25, 0.25), rng.Uniform(0.1, 0.6)};
    const double theta = std::acos(1 - 2 * rng.Uniform(0, 1));
    const double phi = rng.Uniform(0, 6.283185307179586);
    const auto n = IdealResponses(kDefaultGenerators, target, SensorAxis(theta, phi));
    double x, y, z, a1, a2;
    if (EstimatePosition1(work, n, x, y, z, a1, a2) != 1) continue;
    ++successes;
    if (Distance({x, y, z}, target) >= 1e-4) ++far_off;
  }
  std::printf("[ algorithm 1 ] %d of %d random poses recovered (%.1f %%)\n", successes, samples,
              100.0 * successes / samples);
  EXPECT_EQ(far_off, 0);
  EXPECT_GT(successes, samples / 2);
}

}  // namespace
}  // namespace orvendi
