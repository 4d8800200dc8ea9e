// The eddy-current sheet on the default design's bed: 25 x 25 cells (goal 1 s) and 50 x 50 (goal
// 10 s), the whole solve for the nine coils; the sheet's field at one point; and "Calculate" over
// 101 x 101 points with the 25 x 25 sheet included (goal 1 s), the sheet solved beforehand.
#include <benchmark/benchmark.h>

#include "core/design/design_record.h"
#include "core/field/bed_model.h"
#include "core/field/eddy_sheet.h"
#include "core/platform/progress.h"
#include "core/position/calculation.h"
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

void BM_CalculateWithSheet(benchmark::State& state) {
  DesignRecord design = SheetDesign(25);
  design.bed_model = 1;
  design.bed_sheet_ohms_per_square = kAluminium;
  design.include_bed_currents = 1;
  design.algorithm_type = static_cast<int>(state.range(0));
  design.scan_x_step = 0.005;
  design.scan_y_step = 0.005;
  NoProgress progress;
  RefreshBedModel(design, progress);
  ResultBuffer results;
  CalculationWork work;
  for (auto _ : state) {
    CalculateCommand(design, results, work, progress);
    benchmark::DoNotOptimize(results.Slot(50, 50)[0]);
  }
}
BENCHMARK(BM_CalculateWithSheet)
    ->ArgName("algorithm")
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
}  // namespace orvendi
