#pragma once

#include <array>

#include "field/vector3.h"
#include "position/algorithm1.h"

namespace orvendi {

// Work state of position algorithm 2.
struct Algorithm2Work {
  std::array<double, 3> generator_x{};
  std::array<double, 3> generator_y{};
  std::array<double, 9> measured{};
  double x = 0.0, y = 0.0, z = 0.0;
  double theta = 0.0, phi = 0.0;
};

using Matrix2 = std::array<std::array<double, 2>, 2>;
using Jacobian9x2 = std::array<std::array<double, 2>, 9>;

// Position and sensor orientation from the nine normalised responses (coil order). Writes the
// position and the fitted polar angle and azimuth, and returns 1 when the angles settled within
// 25 iterations at a position where the spheres met; returns 0 with the last estimate written
// when they did not settle, or settled at the stand-in position (0, 0, 0.2). Returns 0 with the
// outputs untouched when a response magnitude is below 1 (or not a number) or the generator
// layout admits no trilateration.
int EstimatePosition2(Algorithm2Work& work, const std::array<double, 9>& n, double& x, double& y, double& z,
                      double& theta, double& phi, EstimateTrace* trace = nullptr);

// Sets the work state's position to the trilateration of the three ranges, or to (0, 0, 0.2)
// where the spheres do not meet. Returns whether they met.
bool InitialPosition(Algorithm2Work& work, double r0, double r1, double r2);

// 1 and the point above the plane z = 0 when the three spheres meet; 0 otherwise (also for
// ranges that are not positive and for layouts without a chord crossing).
int Trilaterate(const Vector3& g0, double r0, const Vector3& g1, double r1, const Vector3& g2, double r2,
                Vector3& p);

// Gauss-Newton fit of the two angles to the measured responses with the position held fixed;
// at most 10 steps, ending early once a step is smaller than `tolerance`.
void SolveOrientation(Algorithm2Work& work, double tolerance, double& theta, double& phi);

// Residuals of the nine responses at the work state's position for the given angles, and their
// derivatives by theta and phi. Stores theta and phi into the work state.
void OrientationResiduals(Algorithm2Work& work, double theta, double phi, std::array<double, 9>& e,
                          Jacobian9x2& j);

// Crout's LU decomposition with implicit partial pivoting, in place. Returns false, leaving the
// matrix as it was, when a row is all zero (the system has no unique solution).
bool LuDecompose(Matrix2& m, std::array<int, 2>& index, double& parity);
// Solves m x = v with a matrix decomposed by LuDecompose; v becomes x.
void LuBackSubstitute(const Matrix2& m, const std::array<int, 2>& index, std::array<double, 2>& v);

}  // namespace orvendi
