// Fields of the generator coils.
//
// Ideal model: the point dipole (mu0 / 4 pi) (3 (m . r) r - r^2 m) / r^5, with the squared
// distance floored at 1e-10 m^2 so the field near the dipole stays finite.
//
// Real model: Biot-Savart for a finite straight wire (loop_geometry.cpp), summed over the four
// sides of the square.
#include "core/field/coil_field.h"

#include <cmath>

#include "core/field/field_constants.h"
#include "core/field/loop_geometry.h"

namespace orvendi {

Vector3 SegmentField(const Vector3& point, const Vector3& a, const Vector3& b, double strength) {
  return FieldOfShape(ShapeOfSegment(point, MakeLoopSide(a, b)), strength);
}

Vector3 SquareCoilField(const CoilRecord& coil, const Vector3& point) {
  LoopCorners c;
  if (!SquareCoilCorners(coil, c)) return {};
  return LoopField(c, point, CoilStrength(coil));
}

Vector3 IdealDipoleField(const GeneratorRecord& g, int axis, const Vector3& point) {
  const double dx = point.x - g.x;
  const double dy = point.y - g.y;
  const double dz = point.z - g.z;
  double r2 = dx * dx + dy * dy + dz * dz;
  if (r2 < 1e-10) r2 = 1e-10;
  const double r5 = std::exp(2.5 * std::log(r2));
  const double k = g.area_m2 * kMu0OverPi * kPi * g.turns * g.peak_current_a / kFourPi;
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

// B = k (3 (m.d) d - m r^2) / r^5 for the unit moment m along the axis and d the offset.
std::array<Vector3, 3> IdealDipoleGradient(const GeneratorRecord& g, int axis, const Vector3& point) {
  std::array<Vector3, 3> gradient{};
  const double d[3] = {point.x - g.x, point.y - g.y, point.z - g.z};
  const double r2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  if (r2 < 1e-10 || axis < 0 || axis > 2) return gradient;
  const double r5 = std::exp(2.5 * std::log(r2));
  const double k = g.area_m2 * kMu0OverPi * kPi * g.turns * g.peak_current_a / kFourPi;
  const double md = d[axis];
  for (int j = 0; j < 3; ++j) {
    double column[3];
    for (int i = 0; i < 3; ++i) {
      const double m_i = i == axis ? 1.0 : 0.0;
      const double m_j = j == axis ? 1.0 : 0.0;
      const double delta = i == j ? 1.0 : 0.0;
      column[i] = k * ((3.0 * m_j * d[i] + 3.0 * md * delta - 2.0 * m_i * d[j]) -
                       5.0 * (3.0 * md * d[i] - m_i * r2) * d[j] / r2) /
                  r5;
    }
    gradient[static_cast<std::size_t>(j)] = {column[0], column[1], column[2]};
  }
  return gradient;
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
