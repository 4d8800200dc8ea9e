#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/field/bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/platform/progress.h"
#include "core/position/calculation.h"
#include "core/position/precision_bound.h"
#include "core/position/scan_grid.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

// 101 x 101 points of the default XY plane with a tilted sensor; the bed model computed beforehand.
DesignRecord LargeGrid(int bed) {
  DesignRecord design = testing::DefaultDesign();
  design.include_bed_currents = bed;
  design.sensor_theta_rad = 0.3;
  design.sensor_phi_rad = 1.0;
  design.noise_peak_v = 1e-6;
  design.scan_x_step = 0.005;
  design.scan_y_step = 0.005;
  NoProgress host;
  RefreshBedModel(design, host);
  return design;
}

std::vector<ScanPoint> GridPoints(const DesignRecord& design) {
  std::vector<ScanPoint> points;
  ScanState scan;
  ScanStart(scan, design);
  ScanPoint point;
  while (ScanNextAlongFirst(scan, point)) points.push_back(point);
  return points;
}

// Time per point of a calculation run on one thread: simulation and the selected algorithm.
// Arguments: the algorithm, and whether bed currents are included.
void BM_EstimatePerPoint(benchmark::State& state) {
  DesignRecord design = LargeGrid(static_cast<int>(state.range(1)));
  design.algorithm_type = static_cast<int>(state.range(0));
  const int threads = ComputeThreadsSetting();
  SetComputeThreads(1);
  ResultBuffer results;
  CalculationWork work;
  LoadGeneratorPositions(design, work);
  for (auto _ : state) {
    CalculateGrid(design, results, work, {});
    benchmark::DoNotOptimize(results.Slot(50, 50)[0]);
  }
  SetComputeThreads(threads);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(GridPoints(design).size()));
}
BENCHMARK(BM_EstimatePerPoint)
    ->ArgNames({"algorithm", "bed"})
    ->ArgsProduct({{1, 2, 3}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Time per point of the precision bound on this thread. Argument: whether bed currents are included.
void BM_BoundPerPoint(benchmark::State& state) {
  const DesignRecord design = LargeGrid(static_cast<int>(state.range(0)));
  const std::vector<ScanPoint> points = GridPoints(design);
  const SensorFieldModel model(design);
  for (auto _ : state) {
    for (const ScanPoint& p : points) benchmark::DoNotOptimize(PrecisionBoundAt(model, {p.x, p.y, p.z}));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(points.size()));
}
BENCHMARK(BM_BoundPerPoint)->ArgNames({"bed"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvendi
