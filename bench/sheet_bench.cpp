// The eddy-current sheet on the default design's bed: 25 x 25 cells (goal 1 s) and 50 x 50 (goal
// 10 s), the whole solve for the nine coils; and the sheet's field at one point.
#include <benchmark/benchmark.h>

#include "core/design/design_record.h"
#include "core/field/eddy_sheet.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

constexpr double kAluminium = 2.9e-5;

DesignRecord SheetDesign(int cells) {
  DesignRecord design = testing::DefaultDesign();
  design.bed_cells_x = cells;
  design.bed_cells_y = cells;
  return design;
}

void BM_SheetSolve(benchmark::State& state) {
  const DesignRecord design = SheetDesign(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    EddySheet sheet;
    benchmark::DoNotOptimize(SolveEddySheet(design, kAluminium, nullptr, sheet));
  }
}
BENCHMARK(BM_SheetSolve)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_SheetField(benchmark::State& state) {
  EddySheet sheet;
  SolveEddySheet(SheetDesign(25), kAluminium, nullptr, sheet);
  Vector3 p{0.1, -0.05, 0.3};
  for (auto _ : state) {
    benchmark::DoNotOptimize(SheetField(sheet, p));
    p.x += 1e-9;
  }
}
BENCHMARK(BM_SheetField)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvendi
