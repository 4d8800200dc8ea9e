#pragma once

#include <array>
#include <complex>
#include <functional>
#include <vector>

#include "core/design/design_record.h"
#include "core/field/bed_flux_kernel.h"
#include "core/field/loop_geometry.h"
#include "core/field/vector3.h"

namespace orvendi {

// A phasor field: in phase with the coil current (re) and in quadrature (im), tesla.
struct ComplexVector3 {
  Vector3 re;
  Vector3 im;
};

// The bed as a thin conducting sheet carrying eddy currents, solved for each of the nine coils.
struct EddySheet {
  BedCellGrid grid;
  double frequency_hz = 0.0;
  double ohms_per_square = 0.0;
  // Per coil and cell (i + cells_x * j): the coil's flux through the cell (Wb) and the cell's mesh
  // current (A, anticlockwise seen from +z), phasors against the coil current.
  std::array<std::vector<double>, kCoilCount> source_flux;
  std::array<std::vector<std::complex<double>>, kCoilCount> currents;
  // What SheetField reads at every point, formed once when solved: the cells' edges (those along
  // y row by row, then those along x) and the current each carries for every coil, edge by edge.
  std::vector<LoopSide> edges;
  std::vector<std::complex<double>> edge_currents;
};

enum class SheetStatus { kSolved, kCancelled, kTooManyCells, kInvalid };

// Share done 0..1; returning false asks to stop.
using SheetProgress = std::function<bool(double)>;

// Solves the sheet on the bed's cells of `design` at its drive frequency for all nine coils.
// More than kMaxSheetCells cells: kTooManyCells. kInvalid for a resistance or frequency that is
// not finite and positive or an empty bed; kCancelled when progress asked to stop (checked
// between stages, not inside the factorisation). `sheet` is only written when solved.
SheetStatus SolveEddySheet(const DesignRecord& design, double ohms_per_square, const SheetProgress& progress,
                           EddySheet& sheet);

// Each coil's sheet field at a point: the sum of the edges' currents' fields.
std::array<ComplexVector3, kCoilCount> SheetField(const EddySheet& sheet, const Vector3& point);
// The in-phase part of each coil's sheet field (SheetField's to rounding) and the derivatives by
// x, y and z of its component along `axis`, in closed form edge by edge.
void SheetInPhaseFieldAndSlope(const EddySheet& sheet, const Vector3& point, const Vector3& axis,
                               std::array<Vector3, kCoilCount>& field, std::array<Vector3, kCoilCount>& slope);

// Total normal flux through each cell for one coil: the coil's and the sheet's own.
std::vector<std::complex<double>> TotalCellFlux(const EddySheet& sheet, int coil);

}  // namespace orvendi
