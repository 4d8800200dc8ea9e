// Position algorithm 1.
//
// For a unit-moment dipole at distance r, with alpha the angle between the sensor axis and the
// direction from the generator, the generator's response vector has length
// m = sqrt(3 cos^2 alpha + 1) / r^3, and the angle beta between that direction and the response
// satisfies tan alpha = 2 tan beta. Starting from alpha = 0 the algorithm alternates ranges from
// the magnitudes, a position from three ranges, and new angles from the position, until the
// position stops moving.
#include "core/position/algorithm1.h"

#include <cmath>
#include <limits>

namespace orvendi {

ChordCrossing CrossChordLines(const Vector3& g0, const Vector3& g1, const Vector3& g2, double r0, double r1,
                              double r2) {
  ChordCrossing c;
  c.dx1 = g1.x - g0.x;
  c.dy1 = g1.y - g0.y;
  c.d1 = std::sqrt(c.dx1 * c.dx1 + c.dy1 * c.dy1);
  const double dx2 = g2.x - g0.x;
  const double dy2 = g2.y - g0.y;
  const double d2 = std::sqrt(dx2 * dx2 + dy2 * dy2);
  const double det = c.dx1 * dy2 - c.dy1 * dx2;
  if (!(c.d1 > 0.0) || !(d2 > 0.0) || !(det != 0.0) || !std::isfinite(det)) return c;

  c.t1 = r0 * (r0 * r0 + c.d1 * c.d1 - r1 * r1) / (2.0 * r0 * c.d1);
  c.f1x = g0.x + c.dx1 * c.t1 / c.d1;
  c.f1y = g0.y + c.dy1 * c.t1 / c.d1;
  const double t2 = r0 * (r0 * r0 + d2 * d2 - r2 * r2) / (2.0 * r0 * d2);
  const double f2x = g0.x + dx2 * t2 / d2;
  const double f2y = g0.y + dy2 * t2 / d2;

  // Chord line k: the points p with (p - Fk) . (Gk - G0) = 0.
  const double c1 = c.dx1 * c.f1x + c.dy1 * c.f1y;
  const double c2 = dx2 * f2x + dy2 * f2y;
  c.x = (c1 * dy2 - c.dy1 * c2) / det;
  c.y = (c.dx1 * c2 - dx2 * c1) / det;
  c.found = true;
  return c;
}

int TrilaterateBracketed(const Vector3& g0, const Vector3& g1, const Vector3& g2, double r0, double r1,
                         double r2, Vector3& p) {
  const ChordCrossing c = CrossChordLines(g0, g1, g2, r0, r1, r2);
  if (!c.found) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    p = {nan, nan, nan};
    return kNoChordCrossing;
  }
  p.x = c.x;
  p.y = c.y;
  const double ex = c.x - g0.x;
  const double ey = c.y - g0.y;
  const double h2 = r0 * r0 - (ex * ex + ey * ey);
  if (h2 >= 0.0) {
    p.z = std::sqrt(h2);
    return kSpheresMeet;
  }

  p.z = 0.2;
  const double w2 = r0 * r0 - c.t1 * c.t1;
  if (w2 < 0.0) return kRangesTooShort;
  // The meeting point of the circles around g0 and g1 to the right of the direction g0 -> g1.
  const double w = std::sqrt(w2);
  p.x = c.f1x + w * c.dy1 / c.d1;
  p.y = c.f1y - w * c.dx1 / c.d1;
  const double qx = p.x - g2.x;
  const double qy = p.y - g2.y;
  return std::sqrt(qx * qx + qy * qy) <= r2 ? kRangesTooLong : kRangesTooShort;
}

namespace {

// A response magnitude below 1 lies beyond the range the algorithms work in; one that is not a
// finite number comes from a design without a usable signal (zero sensitivity or coil, a bed
// without resistance) and has no position either.
bool UsableMagnitude(double m) { return m >= 1.0 && std::isfinite(m); }

}  // namespace

double RangeFromResponse(double alpha, double magnitude) {
  const double c = std::cos(alpha);
  return std::exp(std::log(std::sqrt(3.0 * (c * c) + 1.0) / magnitude) / 3.0);
}

int EstimatePosition1(Algorithm1Work& work, const std::array<double, 9>& n, double& x, double& y, double& z,
                      double& angle1, double& angle2) {
  work.iterations = 0;
  double m[3];
  for (int g = 0; g < 3; ++g) {
    m[g] = std::sqrt(n[3 * g] * n[3 * g] + n[3 * g + 1] * n[3 * g + 1] + n[3 * g + 2] * n[3 * g + 2]);
    if (!UsableMagnitude(m[g])) return 0;
  }
  const Vector3 gen[3] = {{work.generator_x[0], work.generator_y[0], 0.0},
                          {work.generator_x[1], work.generator_y[1], 0.0},
                          {work.generator_x[2], work.generator_y[2], 0.0}};

  double alpha[3] = {0.0, 0.0, 0.0};
  Vector3 prev{0.0, 0.0, 0.0};
  Vector3 p;
  bool converged = false;
  int i = 1;
  for (; i <= 25; ++i) {
    double r[3];
    for (int g = 0; g < 3; ++g) r[g] = RangeFromResponse(alpha[g], m[g]);
    int s = TrilaterateBracketed(gen[0], gen[1], gen[2], r[0], r[1], r[2], p);
    if (s == kNoChordCrossing) break;
    if (s != kSpheresMeet) {
      const double f = s == kRangesTooLong ? 0.8 : 1.25;
      for (double& rg : r) rg *= f;
      s = TrilaterateBracketed(gen[0], gen[1], gen[2], r[0], r[1], r[2], p);
    }
    for (int g = 0; g < 3; ++g) {
      const double dot = (p.x - gen[g].x) * n[3 * g] + (p.y - gen[g].y) * n[3 * g + 1] + p.z * n[3 * g + 2];
      const double beta = std::acos(dot / (r[g] * m[g]));
      const double sin2 = 2.0 * std::sin(beta);
      const double cosb = std::cos(beta);
      alpha[g] = (sin2 == 0.0 && cosb == 0.0) ? 0.0 : std::atan2(sin2, cosb);
    }
    const double mx = p.x - prev.x;
    const double my = p.y - prev.y;
    const double mz = p.z - prev.z;
    if (i > 1 && s == kSpheresMeet && mx * mx + my * my + mz * mz < 1e-8) converged = true;
    prev = p;
    if (converged || i == 25) break;
  }
  work.iterations = i;
  if (!converged) return 0;
  x = p.x;
  y = p.y;
  z = p.z;
  angle1 = 0.0;
  angle2 = 0.0;
  return 1;
}

}  // namespace orvendi
