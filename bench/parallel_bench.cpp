// One thread against every core, timed alternately in the same run. Counters: the best time of
// each (ms), the threads of "every core", and the ratio of the two times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>
#include <string>
#include <string_view>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/sweep.h"
#include "core/design/design_record.h"
#include "core/field/bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/platform/progress.h"
#include "core/position/calculation.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

// Algorithm 2 with the bed, its model computed, over a grid of `points` x `points`.
DesignRecord GridDesign(int points) {
  DesignRecord design = DefaultDesign();
  design.algorithm_type = 2;
  design.include_bed_currents = 1;
  design.sensor_theta_rad = 0.3;
  design.sensor_phi_rad = 1.0;
  design.noise_peak_v = 1e-6;
  design.scan_x_step = design.scan_y_step = 0.5 / (points - 1);
  NoProgress progress;
  RefreshBedModel(design, progress);
  return design;
}

// Wall-clock and processor time of one go of the work on `threads` threads.
struct Took {
  double wall = 0.0;
  double processor = 0.0;
};

template <typename Work>
Took Timed(int threads, Work& work) {
  SetComputeThreads(threads);
  const std::clock_t processor_start = std::clock();
  const auto start = std::chrono::steady_clock::now();
  work();
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  const double processor = static_cast<double>(std::clock() - processor_start) / CLOCKS_PER_SEC;
  SetComputeThreads(0);
  return {wall.count(), processor};
}

// The processor times show whether sharing out the work costs extra; on a machine busy with other
// work they stay telling where the wall-clock ratio does not.
template <typename Work>
void OneAgainstAll(benchmark::State& state, Work work) {
  SetComputeThreads(0);
  const int all = ComputeThreads();
  constexpr double kNever = std::numeric_limits<double>::infinity();
  Took best_one{kNever, kNever}, best_all{kNever, kNever};
  for (auto _ : state) {
    const Took one = Timed(1, work);
    const Took every = Timed(0, work);
    best_one = {std::min(best_one.wall, one.wall), std::min(best_one.processor, one.processor)};
    best_all = {std::min(best_all.wall, every.wall), std::min(best_all.processor, every.processor)};
    state.SetIterationTime(every.wall);
  }
  state.counters["one_thread_ms"] = best_one.wall * 1e3;
  state.counters["all_cores_ms"] = best_all.wall * 1e3;
  state.counters["threads"] = all;
  state.counters["ratio"] = best_one.wall / best_all.wall;
  state.counters["one_thread_cpu_ms"] = best_one.processor * 1e3;
  state.counters["all_cores_cpu_ms"] = best_all.processor * 1e3;
}

// "Calculate" over 101 x 101 points.
void BM_ParallelCalculate(benchmark::State& state) {
  DesignRecord design = GridDesign(101);
  ResultBuffer results;
  CalculationWork work;
  NoProgress progress;
  OneAgainstAll(state, [&] {
    CalculateCommand(design, results, work, progress);
    benchmark::DoNotOptimize(results.Slot(50, 50)[0]);
  });
}
BENCHMARK(BM_ParallelCalculate)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// The bed model of 1000 x 1000 cells.
void BM_ParallelBedModel(benchmark::State& state) {
  DesignRecord design = DefaultDesign();
  design.bed_cells_x = design.bed_cells_y = 1000;
  NoProgress progress;
  OneAgainstAll(state, [&] {
    ComputeBedModel(design, progress);
    benchmark::DoNotOptimize(design.bed_voltages);
  });
}
BENCHMARK(BM_ParallelBedModel)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Monte-Carlo, 100 runs over 41 x 41 points.
void BM_ParallelMonteCarlo(benchmark::State& state) {
  const DesignRecord design = GridDesign(41);
  NoProgress progress;
  MonteCarloResult result;
  std::string error;
  OneAgainstAll(state, [&] {
    RunMonteCarlo(design, {100, 1}, progress, result, error);
    benchmark::DoNotOptimize(result.summary.p95_error_m);
  });
}
BENCHMARK(BM_ParallelMonteCarlo)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

bool SetNoise(DesignRecord& design, std::string_view key, double value, std::string& error) {
  if (key != "noise_peak_v") {
    error = "unknown key";
    return false;
  }
  design.noise_peak_v = value;
  return true;
}

// A sweep of 50 designs over 41 x 41 points, one run each.
void BM_ParallelSweep(benchmark::State& state) {
  const DesignRecord design = GridDesign(41);
  SweepOptions options;
  options.axes = {{"noise_peak_v", 0.0, 1e-5, 50}};
  NoProgress progress;
  std::string error;
  OneAgainstAll(state, [&] {
    RunSweep(
        design, options, SetNoise, progress,
        [](const SweepRow& row, std::string&) {
          benchmark::DoNotOptimize(row.errors.rms_error_m);
          return true;
        },
        error);
  });
}
BENCHMARK(BM_ParallelSweep)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvendi
