#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/sweep.h"
#include "core/design/design_record.h"
#include "core/platform/progress.h"

namespace orvendi {
namespace {

DesignRecord BenchDesign(int algorithm) {
  DesignRecord design;
  ApplyDesignDefaults(design);
  design.algorithm_type = algorithm;
  design.sensor_theta_rad = 0.3;
  design.sensor_phi_rad = 1.0;
  design.noise_peak_v = 1e-6;
  return design;
}

bool SetFrequency(DesignRecord& design, std::string_view key, double value, std::string& error) {
  if (key != "frequency_hz") {
    error = "unknown key";
    return false;
  }
  design.frequency_hz = value;
  design.bed_stale = 1;
  return true;
}

// Designs per second of a sweep of ten frequencies over the default 6 x 6 grid, one run each.
void BM_SweepDesigns(benchmark::State& state) {
  const DesignRecord design = BenchDesign(static_cast<int>(state.range(0)));
  SweepOptions options;
  options.axes = {{"frequency_hz", 1000.0, 10000.0, 10}};
  NoProgress progress;
  std::string error;
  for (auto _ : state) {
    std::int64_t rows = 0;
    RunSweep(
        design, options, SetFrequency, progress,
        [&rows](const SweepRow& row, std::string&) {
          benchmark::DoNotOptimize(row.errors.rms_error_m);
          ++rows;
          return true;
        },
        error);
    if (rows != 10) state.SkipWithError("the sweep did not run every row");
  }
  state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_SweepDesigns)->ArgName("algorithm")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Runs per second of a Monte-Carlo analysis of the default design.
void BM_MonteCarloRuns(benchmark::State& state) {
  const DesignRecord design = BenchDesign(static_cast<int>(state.range(0)));
  MonteCarloOptions options;
  options.runs = 100;
  NoProgress progress;
  MonteCarloResult result;
  std::string error;
  for (auto _ : state) {
    RunMonteCarlo(design, options, progress, result, error);
    benchmark::DoNotOptimize(result.summary.p95_error_m);
  }
  state.SetItemsProcessed(state.iterations() * options.runs);
}
BENCHMARK(BM_MonteCarloRuns)->ArgName("algorithm")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvendi
