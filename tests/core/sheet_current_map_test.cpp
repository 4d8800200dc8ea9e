#include "core/views/sheet_current_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "core/field/bed_model.h"
#include "core/field/sheet_bed_model.h"
#include "core/platform/progress.h"

namespace orvendi {
namespace {

// Each coil's picture is its own cells' currents in the chosen part, on the sheet's cells.
TEST(SheetCurrentMapTest, CellsCarryTheSolvedSheetsChosenPart) {
  DesignRecord d;
  ApplyDesignDefaults(d);
  d.bed_model = 1;
  d.bed_cells_x = 6;
  d.bed_cells_y = 4;
  NoProgress progress;
  ASSERT_TRUE(ComputeBedModel(d, progress));
  const std::shared_ptr<const EddySheet> sheet = CachedSheet(d);
  ASSERT_TRUE(sheet);
  struct Case {
    int coil;
    SheetPart part;
    double (*expected)(const std::complex<double>&);
  };
  const Case cases[] = {
      {0, SheetPart::kMagnitude, [](const std::complex<double>& i) { return std::abs(i); }},
      {4, SheetPart::kInPhase, [](const std::complex<double>& i) { return i.real(); }},
      {8, SheetPart::kQuadrature, [](const std::complex<double>& i) { return i.imag(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.coil);
    const SheetCurrentMap map = MakeSheetCurrentMap(*sheet, c.coil, c.part);
    ASSERT_EQ(map.cells_x, 6);
    ASSERT_EQ(map.cells_y, 4);
    EXPECT_DOUBLE_EQ(map.x_edges.front(), d.bed_x1);
    EXPECT_NEAR(map.x_edges.back(), d.bed_x2, 1e-12);
    const auto& currents = sheet->currents[static_cast<std::size_t>(c.coil)];
    ASSERT_EQ(map.amperes.size(), currents.size());
    for (std::size_t k = 0; k < currents.size(); ++k) EXPECT_EQ(map.amperes[k], c.expected(currents[k])) << k;
    EXPECT_EQ(map.low, *std::min_element(map.amperes.begin(), map.amperes.end()));
    EXPECT_EQ(map.high, *std::max_element(map.amperes.begin(), map.amperes.end()));
    EXPECT_EQ(map.arrows.empty(), c.part == SheetPart::kMagnitude);
  }
  EXPECT_EQ(SheetCoilName(4), "Generator 1, Y coil");
  EXPECT_TRUE(MakeSheetCurrentMap(*sheet, 9, SheetPart::kMagnitude).amperes.empty());
}

// One cell's anticlockwise current: the density beside it runs anticlockwise round it, I / (2 h)
// by the central difference, and the arrows thin out on a large sheet.
TEST(SheetCurrentMapTest, ArrowsCirculateAnticlockwiseRoundAPositiveCell) {
  EddySheet sheet;
  sheet.grid = BedCellGrid{0.0, 0.0, 0.0, 0.1, 0.2, 0.02, 3, 3};
  for (auto& currents : sheet.currents) currents.assign(9, 0.0);
  sheet.currents[2][4] = {0.0, 2.0};
  const SheetCurrentMap map = MakeSheetCurrentMap(sheet, 2, SheetPart::kQuadrature);
  ASSERT_EQ(map.arrows.size(), 9u);
  const auto at = [&](int i, int j) { return map.arrows[static_cast<std::size_t>(i + 3 * j)]; };
  EXPECT_DOUBLE_EQ(at(2, 1).ky, 2.0 / 0.2);   // right: up
  EXPECT_DOUBLE_EQ(at(0, 1).ky, -2.0 / 0.2);  // left: down
  EXPECT_DOUBLE_EQ(at(1, 2).kx, -2.0 / 0.4);  // above: to -x
  EXPECT_DOUBLE_EQ(at(1, 0).kx, 2.0 / 0.4);   // below: to +x
  EXPECT_DOUBLE_EQ(at(2, 1).x, 0.25);
  EXPECT_DOUBLE_EQ(map.largest_density, 10.0);

  sheet.grid.cells_x = sheet.grid.cells_y = 50;
  for (auto& currents : sheet.currents) currents.assign(2500, 1.0);
  EXPECT_LE(MakeSheetCurrentMap(sheet, 0, SheetPart::kInPhase).arrows.size(),
            static_cast<std::size_t>(kArrowsPerSide * kArrowsPerSide));
}

}  // namespace
}  // namespace orvendi
