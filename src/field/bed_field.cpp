#include "field/bed_field.h"

#include <cmath>

#include "field/coil_field.h"
#include "field/loop_geometry.h"

namespace orvendi {

Vector3 BedField(const DesignRecord& design, const Vector3& point, double current) {
  const double strength = BedStrength(current);
  const LoopCorners c = BedLoopCorners(design);
  Vector3 field = SegmentField(point, c[0], c[1], strength);
  field += SegmentField(point, c[1], c[2], strength);
  field += SegmentField(point, c[2], c[3], strength);
  field += SegmentField(point, c[3], c[0], strength);
  return field;
}

double BedCurrentMagnitude(const Phasor& current) {
  return std::sqrt(current.real() * current.real() + current.imag() * current.imag());
}

}  // namespace orvendi
