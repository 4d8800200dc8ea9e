#pragma once

#include "core/design/design_record.h"
#include "core/field/vector3.h"

namespace orvendi {

// Field (T) at a point of a current (A, a real magnitude) running round the bed outline at
// height bed_z1, corner (x1, y1) -> (x2, y1) -> (x2, y2) -> (x1, y2) -> back.
Vector3 BedField(const DesignRecord& design, const Vector3& point, double current);

// What the callers of BedField pass for a coil's bed current: its modulus, the square root of the
// squared real and imaginary parts. The phase is dropped.
double BedCurrentMagnitude(const Phasor& current);

}  // namespace orvendi
