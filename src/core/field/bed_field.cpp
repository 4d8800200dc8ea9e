#include "core/field/bed_field.h"

#include <cmath>

#include "core/field/coil_field.h"
#include "core/field/loop_geometry.h"

namespace orvendi {

Vector3 BedField(const DesignRecord& design, const Vector3& point, double current) {
  return LoopField(BedLoopCorners(design), point, BedStrength(current));
}

double BedCurrentMagnitude(const Phasor& current) {
  return std::sqrt(current.real() * current.real() + current.imag() * current.imag());
}

}  // namespace orvendi
