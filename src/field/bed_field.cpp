#include "field/bed_field.h"

#include <cmath>

#include "field/coil_field.h"

namespace orvendi {

Vector3 BedField(const DesignRecord& design, const Vector3& point, double current) {
  const double strength = (current * 1.25663706144e-6) / 12.5663706144;
  const double z = design.bed_z1;
  const Vector3 c1{design.bed_x1, design.bed_y1, z};
  const Vector3 c2{design.bed_x2, design.bed_y1, z};
  const Vector3 c3{design.bed_x2, design.bed_y2, z};
  const Vector3 c4{design.bed_x1, design.bed_y2, z};
  Vector3 field = SegmentField(point, c1, c2, strength);
  field += SegmentField(point, c2, c3, strength);
  field += SegmentField(point, c3, c4, strength);
  field += SegmentField(point, c4, c1, strength);
  return field;
}

double BedCurrentMagnitude(const Phasor& current) {
  return std::sqrt(current.real() * current.real() + current.imag() * current.imag());
}

}  // namespace orvendi
