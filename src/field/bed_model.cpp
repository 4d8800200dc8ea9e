#include "field/bed_model.h"

#include <array>

#include "field/bed_flux_kernel.h"
#include "platform/host.h"

namespace orvendi {

namespace {

// A long row is summed in pieces so that progress is reported, and a cancel seen, at least this
// often.
constexpr int kCellsPerReport = 1 << 16;

}  // namespace

bool ComputeBedModel(DesignRecord& design, Host& host) {
  BusyScope busy(host);

  const BedCellGrid grid = MakeBedCellGrid(design);
  const double width = design.bed_x2 - design.bed_x1;
  const double height = design.bed_y2 - design.bed_y1;
  const double omega = design.frequency_hz * 6.2831853072;
  const double resistance = ((height + width) + (height + width)) * design.bed_ohms_per_m;

  // Counts below one on either axis make an empty bed.
  if (grid.cells_x < 1 || grid.cells_y < 1) {
    for (int k = 0; k < kCoilCount; ++k) {
      design.bed_voltages[k] = Phasor(0.0, 0.0);
      design.bed_currents[k] = Phasor(0.0, 0.0);
    }
    return true;
  }

  const double total_rows = static_cast<double>(kCoilCount) * grid.cells_y;
  std::array<Phasor, kCoilCount> voltages{};
  for (int g = 0; g < kGeneratorCount; ++g) {
    for (int a = 0; a < 3; ++a) {
      const BedFluxCoil coil = PrepareBedFluxCoil(design.generators[g], a, grid);
      const double rows_before = static_cast<double>(3 * g + a) * grid.cells_y;
      double flux = 0.0;
      for (int j = 0; j < grid.cells_y; ++j) {
        for (int first = 0; first < grid.cells_x;) {
          const int end = grid.cells_x - first > kCellsPerReport ? first + kCellsPerReport : grid.cells_x;
          flux = AddRowFlux(coil, grid, j, first, end, flux);
          const double row_done = static_cast<double>(end) / grid.cells_x;
          if (!host.ReportProgress((rows_before + j + row_done) / total_rows)) return false;
          first = end;
        }
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
