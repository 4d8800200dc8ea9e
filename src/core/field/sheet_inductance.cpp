// Partial inductances in the manner of Grover: straight filaments along the cell edges, the
// closed-form Neumann integral between parallel ones (perpendicular ones do not couple), and a
// strip's geometric mean distance where an edge meets itself, where filaments would diverge.
#include "core/field/sheet_inductance.h"

#include <cmath>
#include <cstdlib>

#include "core/field/field_constants.h"

namespace orvendi {

namespace {

constexpr double kMu0Over4Pi = kMu0 / kFourPi;

// Second antiderivative of 1 / sqrt(u^2 + d^2) in u.
double Neumann(double u, double d) {
  if (d == 0.0) return u == 0.0 ? 0.0 : std::fabs(u) * std::log(std::fabs(u));
  return u * std::asinh(u / d) - std::sqrt(u * u + d * d);
}

// Sum over the parallel edges of two meshes along one axis. Along that axis the meshes span
// [0, len] and [offset_along * len, ...]; across it their two edges lie at 0 and `across` (first
// edge +1, second -1) and at offset_across * across plus those.
double ParallelEdges(double len, double across, int offset_along, int offset_across) {
  double sum = 0.0;
  const double b1 = offset_along * len;
  for (int ea = 0; ea < 2; ++ea) {
    for (int eb = 0; eb < 2; ++eb) {
      const int line_a = ea;
      const int line_b = offset_across + eb;
      const double sign = (ea == eb) ? 1.0 : -1.0;
      double d = std::abs(line_a - line_b) * across;
      if (line_a == line_b && offset_along == 0) d = StripSelfDistance(across);
      sum += sign * ParallelFilamentInductance(0.0, len, b1, b1 + len, d);
    }
  }
  return sum;
}

}  // namespace

double ParallelFilamentInductance(double a1, double a2, double b1, double b2, double d) {
  return kMu0Over4Pi * (Neumann(a2 - b1, d) - Neumann(a1 - b1, d) - Neumann(a2 - b2, d) + Neumann(a1 - b2, d));
}

double StripSelfDistance(double width) { return width * std::exp(-1.5); }

double MeshInductanceExact(double dx, double dy, int di, int dj) {
  // Along x: bottom (+x) then top (-x), strips dy wide; along y: left (-y) then right (+y). Either
  // way an edge pair's sign is + for like edges and - for unlike ones.
  return ParallelEdges(dx, dy, di, dj) + ParallelEdges(dy, dx, dj, di);
}

double MeshInductanceDipole(double dx, double dy, int di, int dj) {
  const double rx = di * dx;
  const double ry = dj * dy;
  const double r2 = rx * rx + ry * ry;
  const double area = dx * dy;
  return -kMu0Over4Pi * area * area / (r2 * std::sqrt(r2));
}

double MeshInductance(double dx, double dy, int di, int dj) {
  const double cell = std::fmax(dx, dy);
  const double rx = di * dx;
  const double ry = dj * dy;
  if (rx * rx + ry * ry > (kDipoleDistanceCells * cell) * (kDipoleDistanceCells * cell))
    return MeshInductanceDipole(dx, dy, di, dj);
  return MeshInductanceExact(dx, dy, di, dj);
}

double OutlineEdgeExtra(double length, double width) {
  return ParallelFilamentInductance(0.0, length, 0.0, length, StripSelfDistance(0.5 * width)) -
         ParallelFilamentInductance(0.0, length, 0.0, length, StripSelfDistance(width));
}

}  // namespace orvendi
