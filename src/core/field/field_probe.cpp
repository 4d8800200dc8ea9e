#include "core/field/field_probe.h"

#include "core/field/bed_field.h"
#include "core/field/coil_field.h"
#include "core/field/sheet_bed_model.h"

namespace orvendi {

std::array<CoilProbe, kCoilCount> ProbeField(const DesignRecord& design, const Vector3& point) {
  std::array<CoilProbe, kCoilCount> probes{};
  for (int k = 0; k < kCoilCount; ++k)
    probes[static_cast<std::size_t>(k)].coil = CoilField(design.generators[static_cast<std::size_t>(k / 3)], k % 3, point);
  if (design.bed_model == 1) {
    const std::shared_ptr<const EddySheet> solved = SheetFor(design);
    if (!solved) return probes;
    const std::array<ComplexVector3, kCoilCount> sheet = SheetField(*solved, point);
    for (int k = 0; k < kCoilCount; ++k) probes[static_cast<std::size_t>(k)].bed = sheet[static_cast<std::size_t>(k)];
    return probes;
  }
  for (int k = 0; k < kCoilCount; ++k) {
    const Phasor current = design.bed_currents[static_cast<std::size_t>(k)];
    probes[static_cast<std::size_t>(k)].bed = {BedField(design, point, current.real()),
                                               BedField(design, point, current.imag())};
  }
  return probes;
}

}  // namespace orvendi
