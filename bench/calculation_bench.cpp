#include <benchmark/benchmark.h>

#include "core/design/design_record.h"
#include "core/field/bed_model.h"
#include "core/platform/host.h"
#include "core/platform/progress.h"
#include "core/position/calculation.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

// The whole "Calculate" command over the largest grid, 101 x 101 points in the default XY plane.
// Arguments: the algorithm, and whether bed currents are included (their bed model computed
// beforehand, as it is cached between runs).
void BM_CalculateCommand(benchmark::State& state) {
  DesignRecord design;
  ViewState view;
  NullHost host;
  ApplyViewDefaults(view, host);
  ApplyDesignDefaults(design);
  design.algorithm_type = static_cast<int>(state.range(0));
  design.include_bed_currents = static_cast<int>(state.range(1));
  design.sensor_theta_rad = 0.3;
  design.sensor_phi_rad = 1.0;
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
  state.SetItemsProcessed(state.iterations() * 101 * 101);
}
BENCHMARK(BM_CalculateCommand)
    ->ArgNames({"algorithm", "bed"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({3, 0})
    ->Args({3, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvendi
