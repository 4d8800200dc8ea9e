#include "core/field/bed_flux_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "core/design/design_record.h"
#include "core/field/coil_field.h"
#include "core/platform/host.h"
#include "support/printed_value.h"
#include "core/views/view_state.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

// Sum of |B.z x cell area| over the bed: the scale of a flux that cancels to rounding noise.
double AbsoluteFlux(const GeneratorRecord& generator, int axis, const BedCellGrid& grid) {
  double sum = 0.0;
  for (int j = 0; j < grid.cells_y; ++j) {
    for (int i = 0; i < grid.cells_x; ++i) {
      const Vector3 p{(i + 0.5) * grid.dx + grid.x1, (j + 0.5) * grid.dy + grid.y1, grid.z};
      sum += std::fabs(CoilField(generator, axis, p).z * grid.cell_area);
    }
  }
  return sum;
}

// The fast sum equals the cell-by-cell CoilField sum within 1e-12 relative; for a flux that
// cancels (under a thousandth of its absolute sum) within 1e-12 of the absolute sum.
void ExpectFastEqualsPlain(const DesignRecord& design) {
  const BedCellGrid grid = MakeBedCellGrid(design);
  for (int g = 0; g < kGeneratorCount; ++g) {
    for (int a = 0; a < 3; ++a) {
      SCOPED_TRACE("generator " + std::to_string(g) + " axis " + std::to_string(a));
      const GeneratorRecord& generator = design.generators[g];
      const double plain = BedFluxPlain(generator, a, grid);
      const double fast = BedFlux(generator, a, grid);
      const double absolute = AbsoluteFlux(generator, a, grid);
      ASSERT_GT(absolute, 0.0);
      const double scale = std::fabs(plain) >= 1e-3 * absolute ? std::fabs(plain) : absolute;
      EXPECT_LE(std::fabs(fast - plain), 1e-12 * scale) << "fast " << fast << " plain " << plain;
    }
  }
}

TEST(BedFluxKernel, TakesTheFastPathForOrdinaryDesigns) {
  const DesignRecord design = DefaultDesign();
  const BedCellGrid grid = MakeBedCellGrid(design);
  EXPECT_EQ(PrepareBedFluxCoil(design.generators[0], 2, grid).method, BedFluxCoil::Method::kSquareLoop);
  GeneratorRecord ideal = design.generators[0];
  ideal.real_dipole = 0;
  EXPECT_EQ(PrepareBedFluxCoil(ideal, 2, grid).method, BedFluxCoil::Method::kDipole);
}

TEST(BedFluxKernel, EqualsThePlainSumAtTheDefaults) { ExpectFastEqualsPlain(DefaultDesign()); }

TEST(BedFluxKernel, EqualsThePlainSumForTheIdealDipole) {
  DesignRecord design = DefaultDesign();
  for (GeneratorRecord& g : design.generators) g.real_dipole = 0;
  ExpectFastEqualsPlain(design);
}

TEST(BedFluxKernel, EqualsThePlainSumForAnOddBed) {
  DesignRecord design = DefaultDesign();
  design.bed_x1 = -0.31;
  design.bed_x2 = 0.47;
  design.bed_y1 = -0.62;
  design.bed_y2 = 0.18;
  design.bed_z1 = 0.137;
  design.bed_cells_x = 37;
  design.bed_cells_y = 13;
  ExpectFastEqualsPlain(design);
  for (GeneratorRecord& g : design.generators) g.real_dipole = 0;
  ExpectFastEqualsPlain(design);
}

TEST(BedFluxKernel, EqualsThePlainSumWithAGeneratorCloseUnderTheBed) {
  DesignRecord design = DefaultDesign();
  SetGeneratorPosition(design.generators[0], 0.013, -0.021, 0.07);
  SetGeneratorPosition(design.generators[1], -0.2, 0.3, 0.095);
  design.bed_cells_x = 60;
  design.bed_cells_y = 45;
  ExpectFastEqualsPlain(design);
  for (GeneratorRecord& g : design.generators) g.real_dipole = 0;
  ExpectFastEqualsPlain(design);
}

TEST(BedFluxKernel, EqualsThePlainSumForOtherDriveAndSize) {
  DesignRecord design = DefaultDesign();
  for (GeneratorRecord& g : design.generators) {
    g.area_m2 = 0.0025;
    g.turns = -12;
    g.peak_current_a = 0.3;
    for (CoilRecord& c : g.coils) {
      c.side_m = 0.05;
      c.turns = -12;
      c.peak_current_a = 0.3;
    }
  }
  design.bed_cells_x = 9;
  design.bed_cells_y = 130;
  ExpectFastEqualsPlain(design);
}

TEST(BedFluxKernel, ACellOnASidesLineGetsNothingFromThatSide) {
  // The single cell's centre is the middle of the side x = cx + h, in the coil's own plane.
  DesignRecord design = DefaultDesign();
  SetGeneratorPosition(design.generators[0], 0.0, 0.0, 0.1);
  design.bed_x1 = 0.0;
  design.bed_x2 = 0.02;
  design.bed_y1 = -0.1;
  design.bed_y2 = 0.1;
  design.bed_cells_x = 1;
  design.bed_cells_y = 1;
  const BedCellGrid grid = MakeBedCellGrid(design);
  const double plain = BedFluxPlain(design.generators[0], 2, grid);
  EXPECT_TRUE(testing::MatchesPrinted(plain / grid.cell_area, "0.00559017"));
  EXPECT_TRUE(testing::RelativelyNear(BedFlux(design.generators[0], 2, grid), plain, 1e-12));
}

// Bit for bit, NaN included.
bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(BedFluxKernel, OddValuesTakeThePlainPathAndGiveItsResult) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double odd : {nan, inf, -inf, 1e300}) {
    DesignRecord design = DefaultDesign();
    design.bed_cells_x = 5;
    design.bed_cells_y = 4;
    design.generators[0].coils[2].side_m = odd;
    design.generators[1].real_dipole = 0;
    design.generators[1].x = odd;
    design.generators[2].coils[0].z = odd;
    const BedCellGrid grid = MakeBedCellGrid(design);
    for (int g = 0; g < kGeneratorCount; ++g) {
      const int axis = g == 0 ? 2 : 0;
      EXPECT_EQ(PrepareBedFluxCoil(design.generators[g], axis, grid).method, BedFluxCoil::Method::kPlain);
      EXPECT_TRUE(SameBits(BedFlux(design.generators[g], axis, grid),
                           BedFluxPlain(design.generators[g], axis, grid)));
    }
  }
  // A coil too small for the fast formulas' products.
  DesignRecord design = DefaultDesign();
  design.generators[0].coils[2].side_m = 1e-300;
  const BedCellGrid grid = MakeBedCellGrid(design);
  EXPECT_EQ(PrepareBedFluxCoil(design.generators[0], 2, grid).method, BedFluxCoil::Method::kPlain);
  EXPECT_TRUE(SameBits(BedFlux(design.generators[0], 2, grid), BedFluxPlain(design.generators[0], 2, grid)));
}

TEST(BedFluxKernel, PiecesOfARowAddUpToTheWholeRow) {
  const DesignRecord design = DefaultDesign();
  const BedCellGrid grid = MakeBedCellGrid(design);
  const BedFluxCoil coil = PrepareBedFluxCoil(design.generators[1], 2, grid);
  const double whole = AddRowFlux(coil, grid, 7, 0, 25, 0.0);
  double pieces = 0.0;
  for (int first = 0; first < 25; first += 3)
    pieces = AddRowFlux(coil, grid, 7, first, std::min(first + 3, 25), pieces);
  EXPECT_EQ(pieces, whole);
  EXPECT_EQ(AddRowFlux(coil, grid, 7, 4, 4, 1.5), 1.5);
}

}  // namespace
}  // namespace orvendi
