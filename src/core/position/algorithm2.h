#pragma once

#include <array>

#include "core/field/vector3.h"
#include "core/position/algorithm1.h"

namespace orvendi {

// Algorithm 2's limits: rounds of ranges, trilateration and angle fit, ending once the alphas'
// summed squared change is below kAlphaSettled; Gauss-Newton steps of one angle fit, ending once
// a step (rad) is below kOrientationTolerance; the stand-in position (0, 0, kStandInHeight) in m
// where the three spheres do not meet.
inline constexpr int kAlgorithm2MaxIterations = 25;
inline constexpr double kAlphaSettled = 1e-10;
inline constexpr int kOrientationMaxSteps = 10;
inline constexpr double kOrientationTolerance = 1e-5;
inline constexpr double kStandInHeight = 0.2;

// Work state of position algorithm 2.
struct Algorithm2Work {
  std::array<double, 3> generator_x{};
  std::array<double, 3> generator_y{};
  std::array<double, 9> measured{};
  double x = 0.0, y = 0.0, z = 0.0;
  double theta = 0.0, phi = 0.0;
  int iterations = 0;  // how many the last estimate ran
};

using Matrix2 = std::array<std::array<double, 2>, 2>;

// Position and sensor orientation from the nine normalised responses (coil order). Writes the
// position and the fitted polar angle and azimuth, and returns 1 when the angles settled within
// kAlgorithm2MaxIterations at a position where the spheres met; returns 0 with the last estimate
// written when they did not settle, or settled at the stand-in position. Returns 0 with the
// outputs untouched when a response magnitude is below 1 (or not a number) or the generator
// layout admits no trilateration.
int EstimatePosition2(Algorithm2Work& work, const std::array<double, 9>& n, double& x, double& y, double& z,
                      double& theta, double& phi);

// Sets the work state's position to the trilateration of the three ranges, or to the stand-in
// position (0, 0, kStandInHeight) where the spheres do not meet. Returns whether they met.
bool InitialPosition(Algorithm2Work& work, double r0, double r1, double r2);

// 1 and the point above the plane z = 0 when the three spheres meet; 0 otherwise (also for
// ranges that are not positive and for layouts without a chord crossing).
int Trilaterate(const Vector3& g0, double r0, const Vector3& g1, double r1, const Vector3& g2, double r2,
                Vector3& p);

// The sensor's polar angle and azimuth with their sines and cosines, which each step of the fit
// and the range angles after it use.
struct SensorAngles {
  double theta = 0.0, phi = 0.0;
  double sin_theta = 0.0, cos_theta = 1.0, sin_phi = 0.0, cos_phi = 1.0;
};
SensorAngles AnglesOf(double theta, double phi);

// The part of the residuals that depends on the position only: the dipole numerators of the
// nine coils and the measurements scaled by the fifth power of their generator's distance.
struct DipoleGeometry {
  std::array<Vector3, 9> f;
  std::array<double, 9> scaled_measured;
};
DipoleGeometry GeometryAt(const Algorithm2Work& work);

// The residual of each coil's response at the geometry's position for the given angles,
// u . f_k - R n_k with u the sensor axis, and its derivatives by theta and phi: calls
// visit(k, e, d_theta, d_phi) for k = 0 .. 8 in order. Stores the angles into the work state
// first. In the header so that the fit's steps, its hot loop, take it inline.
template <typename Visit>
void OrientationResiduals(Algorithm2Work& work, const DipoleGeometry& geometry, const SensorAngles& angles,
                          Visit&& visit) {
  work.theta = angles.theta;
  work.phi = angles.phi;
  const double st = angles.sin_theta, ct = angles.cos_theta, sp = angles.sin_phi, cp = angles.cos_phi;
  for (int k = 0; k < 9; ++k) {
    const Vector3& f = geometry.f[k];
    const double horizontal = cp * f.x + sp * f.y;
    visit(k, st * horizontal + ct * f.z - geometry.scaled_measured[k], ct * horizontal - st * f.z,
          st * (cp * f.y - sp * f.x));
  }
}

// Gauss-Newton fit of the two angles to the measured responses with the work state's position
// held fixed, starting from `angles` and leaving the fitted ones there; at most kOrientationMaxSteps
// steps, ending early once a step is smaller than `tolerance`.
void SolveOrientation(Algorithm2Work& work, double tolerance, SensorAngles& angles);

// Crout's LU decomposition with implicit partial pivoting, in place. Returns false, leaving the
// matrix as it was, when a row is all zero (the system has no unique solution).
bool LuDecompose(Matrix2& m, std::array<int, 2>& index, double& parity);
// Solves m x = v with a matrix decomposed by LuDecompose; v becomes x.
void LuBackSubstitute(const Matrix2& m, const std::array<int, 2>& index, std::array<double, 2>& v);

}  // namespace orvendi
