// Fields of the generator coils.
//
// Ideal model: the point dipole (mu0 / 4 pi) (3 (m . r) r - r^2 m) / r^5, with the squared
// distance floored at 1e-10 m^2 so the field near the dipole stays finite.
//
// Real model: Biot-Savart for a finite straight wire, summed over the four sides of the square.
// For a segment A -> B and a point P at perpendicular distance rho from the line, the field is
// mu0 N I (cos thetaA + cos thetaB) / (4 pi rho) along (B - A) x (P - A); the cosines are those of
// the triangle A, B, P at its corners A and B.
#include "field/coil_field.h"

#include <cmath>

namespace orvendi {

Vector3 SegmentField(const Vector3& point, const Vector3& a, const Vector3& b, double strength) {
  const Vector3 s{b.x - a.x, b.y - a.y, b.z - a.z};
  const Vector3 pa{point.x - a.x, point.y - a.y, point.z - a.z};
  const Vector3 pb{point.x - b.x, point.y - b.y, point.z - b.z};
  const double length_sq = s.x * s.x + s.y * s.y + s.z * s.z;
  const double length = std::sqrt(length_sq);
  const double da_sq = pa.x * pa.x + pa.y * pa.y + pa.z * pa.z;
  const double db_sq = pb.x * pb.x + pb.y * pb.y + pb.z * pb.z;
  const double da = std::sqrt(da_sq);
  const double db = std::sqrt(db_sq);

  const Vector3 n{s.y * pa.z - s.z * pa.y, s.z * pa.x - s.x * pa.z, s.x * pa.y - s.y * pa.x};
  const double n_len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (!(n_len >= 1e-20)) return {};

  // Perpendicular distance taken from the foot point, not as |n| / L.
  const double t = (pa.x * s.x + pa.y * s.y + pa.z * s.z) / length_sq;
  const Vector3 foot{a.x + t * s.x, a.y + t * s.y, a.z + t * s.z};
  const double fx = point.x - foot.x;
  const double fy = point.y - foot.y;
  const double fz = point.z - foot.z;
  const double rho = std::sqrt(fx * fx + fy * fy + fz * fz);

  const double cos_a = (length_sq + da_sq - db_sq) / (length * (2.0 * da));
  const double cos_b = (db_sq + length_sq - da_sq) / (db * (2.0 * length));
  const double magnitude = (cos_a + cos_b) * strength / rho;
  return {magnitude * n.x / n_len, magnitude * n.y / n_len, magnitude * n.z / n_len};
}

Vector3 SquareCoilField(const CoilRecord& coil, const Vector3& point) {
  const double h = coil.side_m * 0.5;
  const double cx = coil.x;
  const double cy = coil.y;
  const double cz = coil.z;
  Vector3 c[4];
  switch (coil.axis) {
    case 0:
      c[0] = {cx, cy + h, cz + h};
      c[1] = {cx, cy - h, cz + h};
      c[2] = {cx, cy - h, cz - h};
      c[3] = {cx, cy + h, cz - h};
      break;
    case 1:
      c[0] = {cx + h, cy, cz + h};
      c[1] = {cx + h, cy, cz - h};
      c[2] = {cx - h, cy, cz - h};
      c[3] = {cx - h, cy, cz + h};
      break;
    case 2:
      c[0] = {cx + h, cy + h, cz};
      c[1] = {cx - h, cy + h, cz};
      c[2] = {cx - h, cy - h, cz};
      c[3] = {cx + h, cy - h, cz};
      break;
    default:
      return {};
  }
  const double strength = ((coil.turns * 1.25663706144e-6) * coil.peak_current_a) / 12.5663706144;
  Vector3 field = SegmentField(point, c[0], c[1], strength);
  field += SegmentField(point, c[1], c[2], strength);
  field += SegmentField(point, c[2], c[3], strength);
  field += SegmentField(point, c[3], c[0], strength);
  return field;
}

Vector3 IdealDipoleField(const GeneratorRecord& g, int axis, const Vector3& point) {
  const double dx = point.x - g.x;
  const double dy = point.y - g.y;
  const double dz = point.z - g.z;
  double r2 = dx * dx + dy * dy + dz * dz;
  if (r2 < 1e-10) r2 = 1e-10;
  const double r5 = std::exp(2.5 * std::log(r2));
  const double k = g.area_m2 * 4e-7 * 3.1415926536 * g.turns * g.peak_current_a / 12.5663706144;
  switch (axis) {
    case 0:
      return {k * (2 * dx * dx - dy * dy - dz * dz) / r5, 3 * k * dx * dy / r5, 3 * k * dx * dz / r5};
    case 1:
      return {3 * k * dx * dy / r5, k * (2 * dy * dy - dx * dx - dz * dz) / r5, 3 * k * dy * dz / r5};
    case 2:
      return {3 * k * dx * dz / r5, 3 * k * dy * dz / r5, k * (2 * dz * dz - dx * dx - dy * dy) / r5};
    default:
      return {};
  }
}

Vector3 CoilField(const GeneratorRecord& generator, int axis, const Vector3& point) {
  if (axis < 0 || axis > 2) return {};
  if (generator.real_dipole != 0) return SquareCoilField(generator.coils[axis], point);
  return IdealDipoleField(generator, axis, point);
}

Vector3 CoilFieldX(const GeneratorRecord& generator, const Vector3& point) {
  return CoilField(generator, 0, point);
}
Vector3 CoilFieldY(const GeneratorRecord& generator, const Vector3& point) {
  return CoilField(generator, 1, point);
}
Vector3 CoilFieldZ(const GeneratorRecord& generator, const Vector3& point) {
  return CoilField(generator, 2, point);
}

}  // namespace orvendi
