#pragma once

#include "core/design/design_record.h"

namespace orvendi {

// The bed's cells as the bed model samples them: the centre of cell (i, j) is
// ((i + 0.5) * dx + x1, (j + 0.5) * dy + y1, z).
struct BedCellGrid {
  double x1 = 0.0;
  double y1 = 0.0;
  double z = 0.0;
  double dx = 0.0;
  double dy = 0.0;
  double cell_area = 0.0;
  int cells_x = 0;
  int cells_y = 0;
};

BedCellGrid MakeBedCellGrid(const DesignRecord& design);

// One generator coil made ready for summing its vertical field over rows of bed cells.
struct BedFluxCoil {
  enum class Method { kPlain, kSquareLoop, kDipole };
  Method method = Method::kPlain;
  const GeneratorRecord* generator = nullptr;
  int axis = 0;
  // Square loop: corners in current order and the horizontal part of the side leaving each
  // corner (zero for a side parallel to z, which has no vertical field).
  double strength = 0.0;
  double corner_x[4] = {};
  double corner_y[4] = {};
  double corner_z[4] = {};
  double side_x[4] = {};
  double side_y[4] = {};
  // Point dipole.
  double k = 0.0;
};

// Picks the fast sum for ordinary finite geometry and the cell-by-cell CoilField sum for anything
// else (non-finite or astronomically large or small values), so odd input behaves exactly as the
// coil field itself does.
BedFluxCoil PrepareBedFluxCoil(const GeneratorRecord& generator, int axis, const BedCellGrid& grid);

// flux plus B.z x cell area over cells first_cell .. end_cell - 1 of row j, added in cell order.
double AddRowFlux(const BedFluxCoil& coil, const BedCellGrid& grid, int j, int first_cell, int end_cell,
                  double flux);

// The same through CoilField cell by cell: the reference the fast sum answers to.
double AddRowFluxPlain(const GeneratorRecord& generator, int axis, const BedCellGrid& grid, int j,
                       int first_cell, int end_cell, double flux);

// Flux of one coil through the whole bed, fast and plain.
double BedFlux(const GeneratorRecord& generator, int axis, const BedCellGrid& grid);
double BedFluxPlain(const GeneratorRecord& generator, int axis, const BedCellGrid& grid);

}  // namespace orvendi
