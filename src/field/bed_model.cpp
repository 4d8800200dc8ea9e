#include "field/bed_model.h"

#include <array>

#include "field/coil_field.h"
#include "platform/host.h"

namespace orvendi {

bool ComputeBedModel(DesignRecord& design, Host& host) {
  BusyScope busy(host);

  const double width = design.bed_x2 - design.bed_x1;
  const double dx = width / design.bed_cells_x;
  const double height = design.bed_y2 - design.bed_y1;
  const double dy = height / design.bed_cells_y;
  const double cell_area = dy * dx;
  const double omega = design.frequency_hz * 6.2831853072;
  const double resistance = ((height + width) + (height + width)) * design.bed_ohms_per_m;

  // Counts below one on either axis make an empty bed.
  if (design.bed_cells_x < 1 || design.bed_cells_y < 1) {
    for (int k = 0; k < kCoilCount; ++k) {
      design.bed_voltages[k] = Phasor(0.0, 0.0);
      design.bed_currents[k] = Phasor(0.0, 0.0);
    }
    return true;
  }

  const int cells_x = design.bed_cells_x;
  const int cells_y = design.bed_cells_y;
  const double total_rows = static_cast<double>(kCoilCount) * cells_y;
  std::array<Phasor, kCoilCount> voltages{};
  for (int g = 0; g < kGeneratorCount; ++g) {
    const GeneratorRecord& generator = design.generators[g];
    for (int a = 0; a < 3; ++a) {
      double flux = 0.0;
      for (int j = 0; j < cells_y; ++j) {
        const double y = (j + 0.5) * dy + design.bed_y1;
        for (int i = 0; i < cells_x; ++i) {
          const Vector3 centre{(i + 0.5) * dx + design.bed_x1, y, design.bed_z1};
          flux += CoilField(generator, a, centre).z * cell_area;
        }
        if (!host.ReportProgress(((3 * g + a) * static_cast<double>(cells_y) + j + 1) / total_rows)) return false;
      }
      voltages[3 * g + a] = Phasor(0.0, omega * flux);
    }
  }

  for (int k = 0; k < kCoilCount; ++k) {
    design.bed_voltages[k] = voltages[k];
    design.bed_currents[k] = Phasor(voltages[k].real() / resistance, voltages[k].imag() / resistance);
  }
  return true;
}

bool RefreshBedModel(DesignRecord& design, Host& host) {
  if (design.bed_stale == 0) return true;
  if (!ComputeBedModel(design, host)) return false;
  design.bed_stale = 0;
  return true;
}

}  // namespace orvendi
