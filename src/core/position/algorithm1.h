#pragma once

#include <array>

#include "core/field/vector3.h"

namespace orvendi {

// Work state of position algorithm 1: the generators' positions in the plane z = 0.
struct Algorithm1Work {
  std::array<double, 3> generator_x{};
  std::array<double, 3> generator_y{};
  int iterations = 0;  // how many the last estimate ran
};

// Statuses of TrilaterateBracketed.
inline constexpr int kSpheresMeet = 0;
inline constexpr int kRangesTooLong = 1;
inline constexpr int kRangesTooShort = -1;
// Two generators at one place or all three on one line: no ranges can give a position.
inline constexpr int kNoChordCrossing = 2;

// Where the chord line of the circles around g0 and g1 crosses that of the circles around g0
// and g2, in the plane of the generators. The chord lines are intersected as a 2 x 2 linear
// system, so generators that share a y coordinate need no special case.
struct ChordCrossing {
  bool found = false;  // false: the layout has no crossing (coincident or collinear generators)
  double x = 0.0;
  double y = 0.0;
  // The line g0 -> g1 and the foot of its chord, which the bracketing fallback needs.
  double dx1 = 0.0, dy1 = 0.0, d1 = 0.0, t1 = 0.0;
  double f1x = 0.0, f1y = 0.0;
};
ChordCrossing CrossChordLines(const Vector3& g0, const Vector3& g1, const Vector3& g2, double r0, double r1,
                              double r2);

// The point above the plane z = 0 at ranges r0, r1, r2 from the generators g0, g1, g2. Status
// kSpheresMeet when the spheres meet; otherwise z is 0.2 m and the status tells whether the ranges
// look too long or too short. Always writes all of p (NaN for kNoChordCrossing).
int TrilaterateBracketed(const Vector3& g0, const Vector3& g1, const Vector3& g2, double r0, double r1,
                         double r2, Vector3& p);

// Range (m) to a generator from the length of its response vector and the angle between the sensor
// axis and the direction from the generator: the cube root of sqrt(3 cos^2 alpha + 1) / m, taken
// through the logarithm.
double RangeFromResponse(double alpha, double magnitude);

// Position from the nine normalised responses (coil order), iterating ranges from the response
// magnitudes, trilateration and the sensor's angles to the generators. Returns 1 and writes the
// position and two zero angles on success; returns 0 and leaves the outputs alone on failure.
int EstimatePosition1(Algorithm1Work& work, const std::array<double, 9>& n, double& x, double& y, double& z,
                      double& angle1, double& angle2);

}  // namespace orvendi
