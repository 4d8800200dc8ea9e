// Position algorithm 2.
//
// Ranges come from the response magnitudes as in algorithm 1, m = sqrt(3 cos^2 alpha + 1) / r^3,
// and give a position by trilateration. With that position held fixed, the sensor's polar angle
// theta and azimuth phi are fitted to all nine responses by Gauss-Newton: the model of coil k is
// u . f_k, with u the unit sensor axis and f_k the unit-moment dipole field times R = r^5, so the
// residual is u . f_k - R n_k and its derivatives by theta and phi are u_theta . f_k and
// u_phi . f_k. The new alphas follow directly from the fitted axis and the position; the loop
// ends when they stop changing.
#include "core/position/algorithm2.h"

#include <cmath>
#include <utility>

#include "core/field/field_constants.h"

namespace orvendi {

int Trilaterate(const Vector3& g0, double r0, const Vector3& g1, double r1, const Vector3& g2, double r2,
                Vector3& p) {
  if (!(r0 > 0.0) || !(r1 > 0.0) || !(r2 > 0.0)) return 0;
  const ChordCrossing c = CrossChordLines(g0, g1, g2, r0, r1, r2);
  if (!c.found) return 0;
  p.x = c.x;
  p.y = c.y;
  const double ex = c.x - g0.x;
  const double ey = c.y - g0.y;
  const double h2 = r0 * r0 - (ex * ex + ey * ey);
  if (!(h2 >= 0.0)) return 0;
  p.z = std::sqrt(h2);
  return 1;
}

bool InitialPosition(Algorithm2Work& work, double r0, double r1, double r2) {
  const Vector3 g0{work.generator_x[0], work.generator_y[0], 0.0};
  const Vector3 g1{work.generator_x[1], work.generator_y[1], 0.0};
  const Vector3 g2{work.generator_x[2], work.generator_y[2], 0.0};
  Vector3 p;
  if (Trilaterate(g0, r0, g1, r1, g2, r2, p) == 1) {
    work.x = p.x;
    work.y = p.y;
    work.z = p.z;
    return true;
  }
  work.x = 0.0;
  work.y = 0.0;
  work.z = kStandInHeight;
  return false;
}

DipoleGeometry GeometryAt(const Algorithm2Work& work) {
  DipoleGeometry geo;
  for (int g = 0; g < 3; ++g) {
    const double dx = work.x - work.generator_x[g];
    const double dy = work.y - work.generator_y[g];
    const double dz = work.z;
    const double r5 = std::exp(2.5 * std::log(dx * dx + dy * dy + dz * dz));
    for (int a = 0; a < 3; ++a) geo.scaled_measured[3 * g + a] = r5 * work.measured[3 * g + a];
    geo.f[3 * g] = {2 * dx * dx - dy * dy - dz * dz, 3 * dx * dy, 3 * dx * dz};
    geo.f[3 * g + 1] = {3 * dx * dy, 2 * dy * dy - dx * dx - dz * dz, 3 * dy * dz};
    geo.f[3 * g + 2] = {3 * dx * dz, 3 * dy * dz, 2 * dz * dz - dx * dx - dy * dy};
  }
  return geo;
}

SensorAngles AnglesOf(double theta, double phi) {
  return {theta, phi, std::sin(theta), std::cos(theta), std::sin(phi), std::cos(phi)};
}

bool LuDecompose(Matrix2& m, std::array<int, 2>& index, double& parity) {
  // Crout's method written out for two rows: the implicit scale of each row is 1 over its largest
  // magnitude, and the earlier row keeps the pivot on a tie.
  double big0 = 0.0;
  if (std::fabs(m[0][0]) > big0) big0 = std::fabs(m[0][0]);
  if (std::fabs(m[0][1]) > big0) big0 = std::fabs(m[0][1]);
  double big1 = 0.0;
  if (std::fabs(m[1][0]) > big1) big1 = std::fabs(m[1][0]);
  if (std::fabs(m[1][1]) > big1) big1 = std::fabs(m[1][1]);
  if (big0 == 0.0 || big1 == 0.0) return false;
  const double scale0 = 1.0 / big0;
  const double scale1 = 1.0 / big1;

  double best = 0.0;
  const double scaled0 = scale0 * std::fabs(m[0][0]);
  if (scaled0 > best) best = scaled0;
  const bool swap = scale1 * std::fabs(m[1][0]) > best;
  parity = 1.0;
  if (swap) {
    std::swap(m[0], m[1]);
    parity = -1.0;
  }
  index[0] = swap ? 1 : 0;
  if (m[0][0] == 0.0) m[0][0] = 1e-20;
  m[1][0] *= 1.0 / m[0][0];
  m[1][1] = m[1][1] - m[1][0] * m[0][1];
  index[1] = 1;
  if (m[1][1] == 0.0) m[1][1] = 1e-20;
  return true;
}

void LuBackSubstitute(const Matrix2& m, const std::array<int, 2>& index, std::array<double, 2>& v) {
  constexpr int n = 2;
  int first_nonzero = -1;
  for (int i = 0; i < n; ++i) {
    const int row = index[i];
    double sum = v[row];
    v[row] = v[i];
    if (first_nonzero >= 0) {
      for (int k = first_nonzero; k < i; ++k) sum -= m[i][k] * v[k];
    } else if (sum != 0.0) {
      first_nonzero = i;
    }
    v[i] = sum;
  }
  for (int i = n - 1; i >= 0; --i) {
    double sum = v[i];
    for (int k = i + 1; k < n; ++k) sum -= m[i][k] * v[k];
    v[i] = sum / m[i][i];
  }
}

namespace {

// The fractional part of y moved into [0, 1).
double Wrap(double y) {
  if (std::isinf(y)) return 0.0;
  // Exact: y and its truncation share their leading bits.
  double frac = y - std::trunc(y);
  if (frac < 0.0) frac += 1.0;
  // A tiny negative fraction rounds up to 1.0 when 1 is added; keep the half-open range.
  if (frac >= 1.0) frac = std::nextafter(1.0, 0.0);
  return frac;
}

}  // namespace

void SolveOrientation(Algorithm2Work& work, double tolerance, SensorAngles& angles) {
  // The position stays fixed during the fit, so its geometry serves every step.
  const DipoleGeometry geometry = GeometryAt(work);
  for (int step = 0; step < kOrientationMaxSteps; ++step) {
    // The residuals and their derivatives go straight into the normal equations M = J^T J and
    // v = J^T e, summed over the coils in order.
    double m00 = 0.0, m01 = 0.0, m11 = 0.0, v0 = 0.0, v1 = 0.0;
    OrientationResiduals(work, geometry, angles, [&](int, double e, double d_theta, double d_phi) {
      m00 += d_theta * d_theta;
      m01 += d_theta * d_phi;
      m11 += d_phi * d_phi;
      v0 += d_theta * e;
      v1 += d_phi * e;
    });
    Matrix2 m{{{m00, m01}, {m01, m11}}};
    std::array<double, 2> v{v0, v1};

    std::array<int, 2> index{};
    double parity = 1.0;
    // No step can be taken where the normal equations have an all-zero row; the angles stay.
    if (!LuDecompose(m, index, parity)) break;
    LuBackSubstitute(m, index, v);

    const double step_size = std::fabs(v[0]) + std::fabs(v[1]);
    angles = AnglesOf(kPi * Wrap((angles.theta - v[0]) / kPi), kTwoPi * Wrap((angles.phi - v[1]) / kTwoPi));
    if (step_size < tolerance || std::isnan(step_size)) break;
  }
}

// Flattened: the fit, its residuals and the 2 x 2 solve are the hot loop of a calculation run.
[[gnu::flatten]] int EstimatePosition2(Algorithm2Work& work, const std::array<double, 9>& n, double& x, double& y, double& z,
                      double& theta, double& phi) {
  work.iterations = 0;
  work.measured = n;
  double m[3];
  for (int g = 0; g < 3; ++g) {
    m[g] = std::sqrt(n[3 * g] * n[3 * g] + n[3 * g + 1] * n[3 * g + 1] + n[3 * g + 2] * n[3 * g + 2]);
    // Not a finite number: a design without a usable signal, which has no position.
    if (!(m[g] >= 1.0) || !std::isfinite(m[g])) return 0;
  }
  {
    const Vector3 g0{work.generator_x[0], work.generator_y[0], 0.0};
    const Vector3 g1{work.generator_x[1], work.generator_y[1], 0.0};
    const Vector3 g2{work.generator_x[2], work.generator_y[2], 0.0};
    if (!CrossChordLines(g0, g1, g2, 1.0, 1.0, 1.0).found) return 0;
  }

  SensorAngles angles = AnglesOf(0.1, 0.0);
  work.theta = angles.theta;
  work.phi = angles.phi;
  double alpha[3] = {0.0, 0.0, 0.0};
  double previous[3] = {0.0, 0.0, 0.0};
  bool spheres_met = false;
  int i = 1;
  for (; i <= kAlgorithm2MaxIterations; ++i) {
    double r[3];
    for (int g = 0; g < 3; ++g) r[g] = RangeFromResponse(alpha[g], m[g]);
    spheres_met = InitialPosition(work, r[0], r[1], r[2]);
    SolveOrientation(work, kOrientationTolerance, angles);
    work.theta = angles.theta;
    work.phi = angles.phi;

    const double ux = angles.sin_theta * angles.cos_phi;
    const double uy = angles.sin_theta * angles.sin_phi;
    const double uz = angles.cos_theta;
    for (int g = 0; g < 3; ++g) {
      const double q =
          (ux * (work.x - work.generator_x[g]) + uy * (work.y - work.generator_y[g]) + uz * work.z) / r[g];
      alpha[g] = std::fabs(q) > 1.0 ? 0.0 : std::acos(q);
    }
    double d = 0.0;
    if (i > 1) {
      for (int g = 0; g < 3; ++g) d += (alpha[g] - previous[g]) * (alpha[g] - previous[g]);
    }
    for (int g = 0; g < 3; ++g) previous[g] = alpha[g];
    if (i == 1) continue;
    if (d < kAlphaSettled || std::isnan(d) || i == kAlgorithm2MaxIterations) break;
  }
  work.iterations = i;
  x = work.x;
  y = work.y;
  z = work.z;
  theta = work.theta;
  phi = work.phi;
  // Angles that settle around the stand-in position do not make it an estimate.
  return i < kAlgorithm2MaxIterations && spheres_met ? 1 : 0;
}

}  // namespace orvendi
