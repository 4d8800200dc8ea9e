#include "core/field/bed_model.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/field/bed_flux_kernel.h"
#include "core/field/field_constants.h"
#include "core/field/sheet_bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/platform/progress.h"

namespace orvendi {

namespace {

// A long row is summed in pieces so that progress is reported, and a cancel seen, at least this
// often.
constexpr int kCellsPerReport = 1 << 16;

// The bed is summed in units: a few whole rows of at least kCellsPerUnit cells together, or one
// piece of a long row. Each unit's cells are added in order starting from zero, and the units'
// sums to the coil's flux in order: the same order whatever the thread count.
constexpr int kCellsPerUnit = 4096;

struct BedUnit {
  int coil = 0;
  int first_row = 0;
  int end_row = 0;  // rows first_row .. end_row - 1; a piece has just one
  int first = 0;    // cells first .. end - 1 of each row
  int end = 0;
};

class BedUnits {
 public:
  explicit BedUnits(const BedCellGrid& grid) : grid_(grid) {
    if (grid.cells_x > kCellsPerReport) {
      pieces_ = (grid.cells_x - 1) / kCellsPerReport + 1;
      per_coil_ = static_cast<std::int64_t>(grid.cells_y) * pieces_;
    } else {
      rows_ = (kCellsPerUnit - 1) / grid.cells_x + 1;
      per_coil_ = (grid.cells_y - 1) / rows_ + 1;
    }
  }

  std::int64_t Count() const { return kCoilCount * per_coil_; }

  BedUnit operator[](std::int64_t index) const {
    BedUnit u;
    u.coil = static_cast<int>(index / per_coil_);
    const std::int64_t in_coil = index % per_coil_;
    if (pieces_ > 0) {
      u.first_row = static_cast<int>(in_coil / pieces_);
      u.end_row = u.first_row + 1;
      u.first = static_cast<int>(in_coil % pieces_) * kCellsPerReport;
      u.end = grid_.cells_x - u.first > kCellsPerReport ? u.first + kCellsPerReport : grid_.cells_x;
    } else {
      u.first_row = static_cast<int>(in_coil * rows_);
      u.end_row = static_cast<int>(std::min<std::int64_t>(in_coil * rows_ + rows_, grid_.cells_y));
      u.end = grid_.cells_x;
    }
    return u;
  }

 private:
  const BedCellGrid& grid_;
  int pieces_ = 0;  // per row, for rows longer than a piece
  int rows_ = 0;    // per unit, for shorter rows
  std::int64_t per_coil_ = 0;
};

}  // namespace

bool ComputeBedModel(DesignRecord& design, Progress& progress) {
  if (design.bed_model == 1)
    return ComputeSheetBedModel(design, [&progress](double share) { return progress.Report(share); });

  const BedCellGrid grid = MakeBedCellGrid(design);
  const double width = design.bed_x2 - design.bed_x1;
  const double height = design.bed_y2 - design.bed_y1;
  const double omega = design.frequency_hz * kTwoPi;
  const double resistance = ((height + width) + (height + width)) * design.bed_ohms_per_m;

  // Counts below one on either axis make an empty bed.
  if (grid.cells_x < 1 || grid.cells_y < 1) {
    for (int k = 0; k < kCoilCount; ++k) {
      design.bed_voltages[k] = Phasor(0.0, 0.0);
      design.bed_currents[k] = Phasor(0.0, 0.0);
    }
    return true;
  }

  std::array<BedFluxCoil, kCoilCount> coils;
  for (int k = 0; k < kCoilCount; ++k) coils[k] = PrepareBedFluxCoil(design.generators[k / 3], k % 3, grid);

  // The threads sum units side by side; this thread adds the sums to the fluxes in order and
  // reports progress after every row, or piece of a long row, of every coil in turn.
  const BedUnits units(grid);
  const int slots = 64 * ComputeThreads();
  std::vector<double> unit_sums(static_cast<std::size_t>(slots));
  const auto compute = [&](std::int64_t index, int slot) {
    const BedUnit u = units[index];
    double sum = 0.0;
    for (int j = u.first_row; j < u.end_row; ++j) {
      sum = AddRowFlux(coils[static_cast<std::size_t>(u.coil)], grid, j, u.first, u.end, sum);
    }
    unit_sums[static_cast<std::size_t>(slot)] = sum;
  };
  const double total_rows = static_cast<double>(kCoilCount) * grid.cells_y;
  std::array<double, kCoilCount> flux{};
  const auto finish = [&](std::int64_t index, int slot) {
    const BedUnit u = units[index];
    flux[static_cast<std::size_t>(u.coil)] += unit_sums[static_cast<std::size_t>(slot)];
    const double rows_before = static_cast<double>(u.coil) * grid.cells_y;
    const double row_done = static_cast<double>(u.end) / grid.cells_x;
    for (int j = u.first_row; j < u.end_row; ++j) {
      if (!progress.Report((rows_before + j + row_done) / total_rows)) return false;
    }
    return true;
  };
  if (!RunInOrder(units.Count(), slots, compute, finish)) return false;

  for (int k = 0; k < kCoilCount; ++k) {
    const Phasor voltage(0.0, omega * flux[static_cast<std::size_t>(k)]);
    design.bed_voltages[k] = voltage;
    design.bed_currents[k] = Phasor(voltage.real() / resistance, voltage.imag() / resistance);
  }
  return true;
}

bool RefreshBedModel(DesignRecord& design, Progress& progress) {
  if (design.bed_stale == 0 && (design.bed_model != 1 || CachedSheet(design))) return true;
  if (!ComputeBedModel(design, progress)) return false;
  design.bed_stale = 0;
  return true;
}

}  // namespace orvendi
