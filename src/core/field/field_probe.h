#pragma once

#include <array>

#include "core/design/design_record.h"
#include "core/field/eddy_sheet.h"
#include "core/field/vector3.h"

namespace orvendi {

// One coil's field at a point and the bed's field there as a phasor against the coil current.
struct CoilProbe {
  Vector3 coil;
  ComplexVector3 bed;
};

// The nine coils at a point and the bed's part: the sheet's field when bed_model is 1 (zero when
// the sheet cannot be solved), otherwise the outline loop carrying each stored complex bed current.
std::array<CoilProbe, kCoilCount> ProbeField(const DesignRecord& design, const Vector3& point);

}  // namespace orvendi
