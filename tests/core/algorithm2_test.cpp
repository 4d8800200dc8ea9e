#include "core/position/algorithm2.h"

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

constexpr double kPi = 3.1415926536;

Algorithm2Work WorkFor(const std::array<Vector3, 3>& generators) {
  Algorithm2Work work;
  for (int g = 0; g < 3; ++g) {
    work.generator_x[g] = generators[g].x;
    work.generator_y[g] = generators[g].y;
  }
  return work;
}

// --- The 2 x 2 solve ---------------------------------------------------------------------------

std::array<double, 2> Solve(Matrix2 m, std::array<double, 2> v) {
  std::array<int, 2> index{};
  double parity = 0;
  EXPECT_TRUE(LuDecompose(m, index, parity));
  LuBackSubstitute(m, index, v);
  return v;
}

TEST(LuDecompose, SolvesTwoByTwoSystemsLikeCramersRule) {
  const Matrix2 cases[] = {
      {{{4, 1}, {2, 3}}}, {{{1e-3, 1}, {1, 1}}}, {{{0, 2}, {3, 1}}}, {{{-2, 5}, {7, -1}}}};
  const std::array<double, 2> rhs[] = {{1, 2}, {0, 3}, {-1, 0.5}, {2, 2}};
  for (const Matrix2& a : cases) {
    for (const auto& b : rhs) {
      const double det = a[0][0] * a[1][1] - a[0][1] * a[1][0];
      const double x0 = (b[0] * a[1][1] - a[0][1] * b[1]) / det;
      const double x1 = (a[0][0] * b[1] - b[0] * a[1][0]) / det;
      const auto x = Solve(a, b);
      EXPECT_NEAR(x[0], x0, 1e-12 * (1 + std::fabs(x0)));
      EXPECT_NEAR(x[1], x1, 1e-12 * (1 + std::fabs(x1)));
    }
  }
}

TEST(LuDecompose, PivotsOnTheLargerScaledEntryAndKeepsTheEarlierRowOnATie) {
  Matrix2 m{{{1e-3, 1}, {1, 1}}};
  std::array<int, 2> index{};
  double parity = 0;
  ASSERT_TRUE(LuDecompose(m, index, parity));
  EXPECT_EQ(index[0], 1);
  EXPECT_EQ(parity, -1.0);

  Matrix2 tie{{{2, 1}, {2, 1.5}}};  // scaled magnitudes 1 and 1
  ASSERT_TRUE(LuDecompose(tie, index, parity));
  EXPECT_EQ(index[0], 0);
  EXPECT_EQ(parity, 1.0);
}

TEST(LuDecompose, ZeroPivotAndAllZeroRow) {
  // A singular matrix: the zero pivot becomes 1e-20 and the solve stays finite.
  Matrix2 singular{{{1, 2}, {2, 4}}};
  std::array<int, 2> index{};
  double parity = 0;
  ASSERT_TRUE(LuDecompose(singular, index, parity));
  EXPECT_EQ(singular[1][1], 1e-20);
  std::array<double, 2> v{1, 2};
  LuBackSubstitute(singular, index, v);
  EXPECT_FALSE(std::isnan(v[0]) || std::isnan(v[1]));

  // An all-zero row has no scale: refused, matrix left as it was.
  Matrix2 zero_row{{{3, 1}, {0, 0}}};
  const Matrix2 before = zero_row;
  EXPECT_FALSE(LuDecompose(zero_row, index, parity));
  EXPECT_EQ(zero_row, before);
}

// --- Trilateration and the initial position ------------------------------------------------------

TEST(Trilaterate, MeetingSpheresNonPositiveRangesAndDegenerateLayouts) {
  const auto& g = kDefaultGenerators;
  const Vector3 target{-0.12, 0.08, 0.27};
  Vector3 p;
  ASSERT_EQ(Trilaterate(g[0], Distance(target, g[0]), g[1], Distance(target, g[1]), g[2],
                        Distance(target, g[2]), p),
            1);
  EXPECT_NEAR(Distance(p, target), 0.0, 1e-12);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double bad : {0.0, -0.3, nan}) {
    EXPECT_EQ(Trilaterate(g[0], bad, g[1], 0.4, g[2], 0.4, p), 0);
    EXPECT_EQ(Trilaterate(g[0], 0.4, g[1], bad, g[2], 0.4, p), 0);
    EXPECT_EQ(Trilaterate(g[0], 0.4, g[1], 0.4, g[2], bad, p), 0);
  }
  EXPECT_EQ(Trilaterate(g[0], 0.05, g[1], 0.05, g[2], 0.05, p), 0);  // the spheres do not meet

  // Generators 0 and 1 sharing y work; coincident ones are a failure, not a division by zero.
  const Vector3 a{-0.25, 0.25, 0}, b{0.25, 0.25, 0}, c{0, -0.26, 0};
  ASSERT_EQ(Trilaterate(a, Distance(target, a), b, Distance(target, b), c, Distance(target, c), p), 1);
  EXPECT_NEAR(Distance(p, target), 0.0, 1e-12);
  EXPECT_EQ(Trilaterate(a, 0.4, a, 0.4, c, 0.4, p), 0);
}

TEST(InitialPosition, TakesTheIntersectionOrFallsBackTo02AboveTheOrigin) {
  Algorithm2Work work = WorkFor(kDefaultGenerators);
  const Vector3 target{0.2, 0.1, 0.5};
  EXPECT_TRUE(InitialPosition(work, Distance(target, kDefaultGenerators[0]),
                              Distance(target, kDefaultGenerators[1]),
                              Distance(target, kDefaultGenerators[2])));
  EXPECT_NEAR(Distance({work.x, work.y, work.z}, target), 0.0, 1e-12);

  EXPECT_FALSE(InitialPosition(work, 0.05, 0.05, 0.05));
  EXPECT_EQ(work.x, 0.0);
  EXPECT_EQ(work.y, 0.0);
  EXPECT_EQ(work.z, 0.2);
}

// --- Orientation fit ---------------------------------------------------------------------------

Algorithm2Work AtPose(const Vector3& target, double theta, double phi) {
  Algorithm2Work work = WorkFor(kDefaultGenerators);
  work.measured = IdealResponses(kDefaultGenerators, target, SensorAxis(theta, phi));
  work.x = target.x;
  work.y = target.y;
  work.z = target.z;
  return work;
}

TEST(OrientationResiduals, VanishAtTheTruePoseAndMatchFiniteDifferences) {
  Algorithm2Work work = AtPose({0.1, -0.05, 0.4}, 0.3, 1.0);
  using Jacobian9x2 = std::array<std::array<double, 2>, 9>;
  const DipoleGeometry geometry = GeometryAt(work);
  const auto residuals = [&](double theta, double phi, std::array<double, 9>& e, Jacobian9x2& j) {
    OrientationResiduals(work, geometry, AnglesOf(theta, phi), [&](int k, double ek, double d_theta, double d_phi) {
      e[k] = ek;
      j[k] = {d_theta, d_phi};
    });
  };
  std::array<double, 9> e;
  Jacobian9x2 j;
  residuals(0.3, 1.0, e, j);
  EXPECT_EQ(work.theta, 0.3);
  EXPECT_EQ(work.phi, 1.0);
  for (double ek : e) EXPECT_NEAR(ek, 0.0, 1e-14);

  const double h = 1e-6;
  std::array<double, 9> ep, em;
  Jacobian9x2 unused;
  residuals(1.2 + h, 2.0, ep, unused);
  residuals(1.2 - h, 2.0, em, unused);
  residuals(1.2, 2.0, e, j);
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(j[k][0], (ep[k] - em[k]) / (2 * h), 1e-8);
  residuals(1.2, 2.0 + h, ep, unused);
  residuals(1.2, 2.0 - h, em, unused);
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(j[k][1], (ep[k] - em[k]) / (2 * h), 1e-8);
}

TEST(SolveOrientation, FindsTheSensorAxisFromTheStartingGuess) {
  Algorithm2Work work = AtPose({0.1, -0.05, 0.4}, 0.3, 1.0);
  SensorAngles angles = AnglesOf(0.1, 0.0);
  SolveOrientation(work, 1e-5, angles);
  EXPECT_NEAR(angles.theta, 0.3, 1e-6);
  EXPECT_NEAR(angles.phi, 1.0, 1e-6);
}

TEST(SolveOrientation, AnglesAlwaysLieInTheirRanges) {
  SampleSource rng(42);
  for (int i = 0; i < 300; ++i) {
    const Vector3 target{rng.Uniform(-0.25, 0.25), rng.Uniform(-0.25, 0.25), rng.Uniform(0.1, 0.6)};
    Algorithm2Work work = AtPose(target, rng.Uniform(0, kPi), rng.Uniform(0, 2 * kPi));
    const double theta = rng.Uniform(-7, 7), phi = rng.Uniform(-20, 20);
    SensorAngles angles = AnglesOf(theta, phi);
    SolveOrientation(work, 1e-5, angles);
    EXPECT_GE(angles.theta, 0.0);
    EXPECT_LT(angles.theta, kPi);
    EXPECT_GE(angles.phi, 0.0);
    EXPECT_LT(angles.phi, 2 * kPi);
  }
}

TEST(SolveOrientation, AStepBelowZeroWrapsThetaToJustBelowPi) {
  // Sensor axis straight up: one step from 0.1 overshoots past 0.
  Algorithm2Work work = AtPose({0.1, -0.05, 0.4}, 0.0, 0.0);
  SensorAngles angles = AnglesOf(0.1, 0.0);
  SolveOrientation(work, 1e3, angles);  // a tolerance this large stops after one step
  EXPECT_GT(angles.theta, kPi - 0.01);
  EXPECT_LT(angles.theta, kPi);
}

TEST(SolveOrientation, AllZeroNormalMatrixLeavesTheAngles) {
  // At theta = 0 every derivative by phi vanishes: the normal equations have a zero row.
  Algorithm2Work work = AtPose({0.1, -0.05, 0.4}, 0.3, 1.0);
  SensorAngles angles = AnglesOf(0.0, 0.7);
  SolveOrientation(work, 1e-5, angles);
  EXPECT_EQ(angles.theta, 0.0);
  EXPECT_EQ(angles.phi, 0.7);
}

// --- Estimation ------------------------------------------------------------------------------------

TEST(EstimatePosition2, RecoversTheReferenceSensorAndItsAngles) {
  Algorithm2Work work = WorkFor(kDefaultGenerators);
  const Vector3 target{0.1, -0.05, 0.4};
  const auto n = IdealResponses(kDefaultGenerators, target, SensorAxis(0.3, 1.0));
  double x, y, z, theta, phi;
  ASSERT_EQ(EstimatePosition2(work, n, x, y, z, theta, phi), 1);
  EXPECT_LT(Distance({x, y, z}, target), 1e-4);
  EXPECT_NEAR(theta, 0.3, 1e-4);
  EXPECT_NEAR(phi, 1.0, 1e-4);
  // The first iteration never ends the loop.
  EXPECT_GE(work.iterations, 2);
  EXPECT_LT(work.iterations, 25);
  EXPECT_EQ(work.measured, n);
}

TEST(EstimatePosition2, MagnitudeOfExactlyOnePassesAndBelowFailsUntouched) {
  const std::array<Vector3, 3> layout{Vector3{0, 0, 0}, Vector3{0.6, 0.3, 0}, Vector3{0.9, -0.2, 0}};
  const Vector3 target{0.6, 0.0, 0.8};
  auto n = IdealResponses(layout, target, {0, 1, 0});
  n[0] = 0.0;
  n[1] = -1.0;
  n[2] = 0.0;
  Algorithm2Work work = WorkFor(layout);
  double x = 5, y = 5, z = 5, theta = 5, phi = 5;
  ASSERT_EQ(EstimatePosition2(work, n, x, y, z, theta, phi), 1);
  EXPECT_LT(Distance({x, y, z}, target), 1e-4);

  n[1] = -0.999;
  x = y = z = theta = phi = 5;
  EXPECT_EQ(EstimatePosition2(work, n, x, y, z, theta, phi), 0);
  EXPECT_TRUE(x == 5 && y == 5 && z == 5 && theta == 5 && phi == 5);
}

TEST(EstimatePosition2, NonFiniteResponsesAndDegenerateLayoutsFailUntouched) {
  double x = 5, y = 5, z = 5, theta = 5, phi = 5;
  const auto untouched = [&] { return x == 5 && y == 5 && z == 5 && theta == 5 && phi == 5; };
  Algorithm2Work work = WorkFor(kDefaultGenerators);
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    auto n = IdealResponses(kDefaultGenerators, {0.1, -0.05, 0.4}, SensorAxis(0.3, 1.0));
    n[7] = bad;
    EXPECT_EQ(EstimatePosition2(work, n, x, y, z, theta, phi), 0);
    EXPECT_TRUE(untouched());
  }
  const std::array<Vector3, 3> coincident{Vector3{0, 0, 0}, Vector3{0, 0, 0}, Vector3{0.3, 0.2, 0}};
  Algorithm2Work degenerate = WorkFor(coincident);
  const auto n = IdealResponses(coincident, {0.1, 0.1, 0.3}, SensorAxis(0.3, 1.0));
  EXPECT_EQ(EstimatePosition2(degenerate, n, x, y, z, theta, phi), 0);
  EXPECT_TRUE(untouched());
}

TEST(EstimatePosition2, SettlingAtTheStandInPositionIsAFailureWithTheEstimateWritten) {
  // A sensor low over the bed, its axis near horizontal: the ranges of the fitted angles stop
  // meeting and the angles settle around the stand-in position.
  const Vector3 target{0.212847, -0.197603, 0.101778};
  const auto n = IdealResponses(kDefaultGenerators, target, SensorAxis(1.65071, 3.86591));
  Algorithm2Work work = WorkFor(kDefaultGenerators);
  double x = 5, y = 5, z = 5, theta = 5, phi = 5;
  EXPECT_EQ(EstimatePosition2(work, n, x, y, z, theta, phi), 0);
  EXPECT_LT(work.iterations, 25);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 0.0);
  EXPECT_EQ(z, 0.2);
  EXPECT_EQ(theta, work.theta);
  EXPECT_EQ(phi, work.phi);
}

TEST(EstimatePosition2, RunningTo25IterationsIsAFailureWithTheLastEstimateWritten) {
  // Random responses that no pose produces: some keep the angles moving for all 25 iterations.
  std::array<double, 9> n{};
  SampleSource rng(3);
  int runs_to_25 = 0;
  for (int attempt = 0; attempt < 200; ++attempt) {
    for (double& v : n) v = rng.Uniform(-40, 40);
    Algorithm2Work work = WorkFor(kDefaultGenerators);
    double x = 5, y = 5, z = 5, theta = 5, phi = 5;
    const int ok = EstimatePosition2(work, n, x, y, z, theta, phi);
    if (work.iterations != 25) continue;
    ++runs_to_25;
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(x, work.x);
    EXPECT_EQ(y, work.y);
    EXPECT_EQ(z, work.z);
    EXPECT_EQ(theta, work.theta);
    EXPECT_EQ(phi, work.phi);
  }
  EXPECT_GT(runs_to_25, 0);
}

TEST(EstimatePosition2, RandomPosesInTheWorkingVolume) {
  SampleSource rng(1000);
  Algorithm2Work work = WorkFor(kDefaultGenerators);
  int successes = 0;
  int far_off = 0;
  const int samples = 1000;
  for (int i = 0; i < samples; ++i) {
    const Vector3 target{rng.Uniform(-0.25, 0.25), rng.Uniform(-0.25, 0.25), rng.Uniform(0.1, 0.6)};
    const double theta_true = std::acos(1 - 2 * rng.Uniform(0, 1));
    const double phi_true = rng.Uniform(0, 6.283185307179586);
    const auto n = IdealResponses(kDefaultGenerators, target, SensorAxis(theta_true, phi_true));
    double x, y, z, theta, phi;
    if (EstimatePosition2(work, n, x, y, z, theta, phi) != 1) continue;
    ++successes;
    if (Distance({x, y, z}, target) >= 1e-4) ++far_off;
  }
  std::printf("[ algorithm 2 ] %d of %d random poses recovered (%.1f %%), %d of them off by 0.1 mm or more\n",
              successes, samples, 100.0 * successes / samples, far_off);
  EXPECT_EQ(far_off, 0);
  EXPECT_GT(successes, samples / 2);
}

}  // namespace
}  // namespace orvendi
