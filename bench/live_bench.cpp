// Live update: from a request to the result being ready to take, on the worker thread, as the
// window sees it after a mouse move. Arguments: points per axis, whether the bed is included
// (its model computed beforehand, as it is cached between runs), and the detail.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/analysis/live_calculation.h"
#include "core/design/design_record.h"
#include "core/field/bed_model.h"
#include "core/platform/progress.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

void BM_LiveRequestToResult(benchmark::State& state) {
  DesignRecord design = testing::DefaultDesign();
  design.algorithm_type = 2;
  design.include_bed_currents = static_cast<int>(state.range(1));
  design.sensor_theta_rad = 0.3;
  design.sensor_phi_rad = 1.0;
  design.noise_peak_v = 1e-6;
  design.scan_x_step = design.scan_y_step = 0.5 / static_cast<double>(state.range(0) - 1);
  NoProgress progress;
  RefreshBedModel(design, progress);
  const LiveDetail detail = state.range(2) == 0 ? LiveDetail::kPreview : LiveDetail::kWhole;

  std::mutex lock;
  std::condition_variable ready;
  int results = 0;
  LiveCalculation live([&] {
    const std::lock_guard<std::mutex> hold(lock);
    ++results;
    ready.notify_all();
  });
  const CalculationWork work;
  for (auto _ : state) {
    // A new pointer position each time, as during a drag.
    SetGeneratorPosition(design.generators[2], 0.25 - 1e-4 * (results % 100), 0.25, 0.0);
    std::unique_lock<std::mutex> hold(lock);
    const int before = results;
    hold.unlock();
    live.Request(design, work, detail);
    hold.lock();
    ready.wait(hold, [&] { return results > before; });
    benchmark::DoNotOptimize(live.TakeResult());
  }
}
BENCHMARK(BM_LiveRequestToResult)
    ->ArgNames({"points", "bed", "whole"})
    ->Args({41, 0, 0})
    ->Args({41, 1, 0})
    ->Args({101, 0, 0})
    ->Args({101, 0, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace orvendi
