#include <benchmark/benchmark.h>

#include <string>

#include "core/analysis/optimize.h"
#include "core/design/design_file.h"
#include "core/design/design_record.h"
#include "core/platform/progress.h"

namespace orvendi {
namespace {

// Evaluations per second of the layout search: the six generator coordinates, objective max,
// algorithm 1 with ideal dipoles, on a grid of n x n points (6: the default grid).
void BM_OptimizeEvaluations(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  DesignRecord design;
  ApplyDesignDefaults(design);
  design.dipole_type = 0;
  design.scan_x_step = design.scan_y_step = (design.scan_x_to - design.scan_x_from) / (n - 1);
  OptimizeOptions options;
  for (const char* key : {"generators[0].x", "generators[0].y", "generators[1].x", "generators[1].y",
                          "generators[2].x", "generators[2].y"})
    options.variables.push_back({key, -0.5, 0.5});
  options.evaluations = n > 10 ? 20 : 200;
  NoProgress progress;
  for (auto _ : state) {
    OptimizeResult result;
    std::string error;
    if (RunOptimize(design, options, SetDesignNumbers, progress, {}, result, error) != AnalysisStatus::kDone)
      state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(result.best_objective);
  }
  state.SetItemsProcessed(state.iterations() * options.evaluations);
}
BENCHMARK(BM_OptimizeEvaluations)->ArgName("grid")->Arg(6)->Arg(41)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orvendi
