// The same bits whatever the thread count: the calculation run, the bed model, Monte-Carlo runs
// and sweeps on 1, 2 and 7 threads (7 also on a machine with fewer cores).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/sweep.h"
#include "analysis_test_support.h"
#include "core/field/bed_flux_kernel.h"
#include "core/field/bed_model.h"
#include "core/position/calculation.h"
#include "support/fake_progress.h"
#include "support/thread_count.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;
using testing::FakeProgress;
using testing::SweepText;
using testing::ThreadCount;

constexpr int kThreadCounts[] = {1, 2, 7};

template <typename T>
std::string Bytes(const T* data, std::size_t count) {
  return std::string(reinterpret_cast<const char*>(data), sizeof(T) * count);
}

std::string Bytes(const ResultBuffer& results) { return Bytes(results.Slot(0, 0), ResultBuffer::kSize); }

// 21 x 21 points with noise, the bed included: every draw and every algorithm path counts.
DesignRecord NoisyDesign(int algorithm) {
  DesignRecord design = DefaultDesign();
  design.algorithm_type = algorithm;
  design.include_bed_currents = 1;
  design.noise_peak_v = 2e-5;
  design.sensor_theta_rad = 0.3;
  design.sensor_phi_rad = 1.0;
  design.scan_x_step = design.scan_y_step = 0.025;
  return design;
}

// --- The noise sequence ---------------------------------------------------------------------------

TEST(NoiseSourceSkip, LandsWhereThatManyDrawsWouldAndComposes) {
  for (const std::uint64_t n : {0u, 1u, 2u, 9u, 1000u, 91809u}) {
    NoiseSource drawn(12345u), skipped(12345u);
    for (std::uint64_t i = 0; i < n; ++i) drawn.Next();
    skipped.Skip(n);
    EXPECT_EQ(skipped, drawn) << n;
    EXPECT_EQ(skipped.Next(), drawn.Next()) << n;
  }
  NoiseSource once, twice;
  once.Skip(777 + 4321);
  twice.Skip(777);
  twice.Skip(4321);
  EXPECT_EQ(once, twice);
  // The generator runs through all 2^32 states, so a whole period comes back to the start.
  NoiseSource period = NoiseSource::ForRun(9, 4);
  period.Skip(std::uint64_t{1} << 32);
  EXPECT_EQ(period, NoiseSource::ForRun(9, 4));
}

// --- The calculation run ---------------------------------------------------------------------------

// The run as one thread gives it, from the per-point functions: one noise sequence drawn in
// scan order, one algorithm work state carried through.
ResultBuffer SequentialRun(const DesignRecord& design, NoiseSource& noise) {
  ResultBuffer results;
  CalculationWork work;
  work.noise = noise;
  LoadGeneratorPositions(design, work);
  ScanState scan;
  ScanStart(scan, design);
  ScanPoint p;
  while (ScanNextAlongFirst(scan, p)) {
    CalculatePoint(design, results, work, p.first_index, p.second_index, p.x, p.y, p.z);
  }
  noise = work.noise;
  return results;
}

TEST(ParallelCalculation, EveryThreadCountGivesTheSingleThreadedRunToTheBit) {
  for (int algorithm : {1, 2, 3}) {
    DesignRecord design = NoisyDesign(algorithm);
    NoProgress progress;
    ASSERT_TRUE(RefreshBedModel(design, progress));
    // Two runs in a row: the second continues the noise sequence where the first left it.
    NoiseSource noise;
    const ResultBuffer first = SequentialRun(design, noise);
    const ResultBuffer second = SequentialRun(design, noise);
    for (int threads : kThreadCounts) {
      SCOPED_TRACE("algorithm " + std::to_string(algorithm) + ", threads " + std::to_string(threads));
      ThreadCount count(threads);
      ResultBuffer results;
      CalculationWork work;
      CalculateCommand(design, results, work, progress);
      EXPECT_EQ(Bytes(results), Bytes(first));
      CalculateCommand(design, results, work, progress);
      EXPECT_EQ(Bytes(results), Bytes(second));
      EXPECT_EQ(work.noise, noise);
    }
  }
}

TEST(ParallelCalculation, AStopLeavesBufferAndNoiseAsAfterThatRow) {
  const DesignRecord design = NoisyDesign(2);
  NoiseSource noise;
  const ResultBuffer whole = SequentialRun(design, noise);
  const ResultBuffer empty;
  for (int threads : kThreadCounts) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    ThreadCount count(threads);
    ResultBuffer results;
    CalculationWork work;
    LoadGeneratorPositions(design, work);
    FakeProgress progress;
    progress.cancel_after = 5;
    EXPECT_FALSE(
        CalculateGrid(design, results, work, [&progress](double share) { return progress.Report(share); }));
    ASSERT_EQ(progress.shares.size(), 5u);
    EXPECT_EQ(progress.shares[4], 5 / 21.0);
    NoiseSource expected;
    expected.Skip(5 * 21 * 9);
    EXPECT_EQ(work.noise, expected);
    for (int i = 0; i <= 20; ++i) {
      for (int j = 0; j <= 20; ++j) {
        const double* as_if = j < 5 ? whole.Slot(i, j) : empty.Slot(i, j);
        ASSERT_EQ(Bytes(results.Slot(i, j), 3), Bytes(as_if, 3)) << i << " " << j;
      }
    }
  }
}

TEST(ParallelCalculation, WhileTheRunGoesOnTheShownResultsStayThePrevious) {
  // What a repaint during a progress report would read.
  struct PeekingProgress : Progress {
    bool Report(double) override {
      ++reports;
      changed += Bytes(*shown) != before;
      return true;
    }
    const ResultBuffer* shown = nullptr;
    std::string before;
    int reports = 0;
    int changed = 0;
  };
  ThreadCount count(2);
  DesignRecord design = NoisyDesign(2);
  ResultBuffer results;
  CalculationWork work;
  NoProgress quiet;
  CalculateCommand(design, results, work, quiet);
  PeekingProgress progress;
  progress.shown = &results;
  progress.before = Bytes(results);
  CalculateCommand(design, results, work, progress);
  EXPECT_EQ(progress.reports, 21);
  EXPECT_EQ(progress.changed, 0);
  EXPECT_NE(Bytes(results), progress.before);  // the second run draws other noise
}

// --- The bed model ---------------------------------------------------------------------------------

struct BedOutcome {
  std::string phasors;
  std::vector<double> shares;
};

BedOutcome BedModel(DesignRecord design) {
  FakeProgress progress;
  EXPECT_TRUE(ComputeBedModel(design, progress));
  return {Bytes(design.bed_voltages.data(), kCoilCount) + Bytes(design.bed_currents.data(), kCoilCount),
          progress.shares};
}

TEST(ParallelBedModel, PhasorsAndProgressAreTheSameOnEveryThreadCount) {
  std::vector<DesignRecord> designs;
  DesignRecord real = DefaultDesign();
  real.bed_cells_x = 317;  // rows that do not fill a unit evenly
  real.bed_cells_y = 230;
  designs.push_back(real);
  DesignRecord ideal = real;
  for (GeneratorRecord& g : ideal.generators) g.real_dipole = 0;
  designs.push_back(ideal);
  DesignRecord long_rows = DefaultDesign();  // pieces within a row
  long_rows.bed_cells_x = 150001;
  long_rows.bed_cells_y = 2;
  designs.push_back(long_rows);
  DesignRecord plain = real;  // the cell-by-cell path
  plain.generators[1].coils[2].side_m = 1e300;
  plain.bed_cells_x = 40;
  designs.push_back(plain);

  for (std::size_t d = 0; d < designs.size(); ++d) {
    BedOutcome one;
    {
      ThreadCount count(1);
      one = BedModel(designs[d]);
    }
    for (int threads : {2, 7}) {
      ThreadCount count(threads);
      const BedOutcome many = BedModel(designs[d]);
      EXPECT_EQ(many.phasors, one.phasors) << "design " << d << ", threads " << threads;
      EXPECT_EQ(many.shares, one.shares) << "design " << d << ", threads " << threads;
    }
  }
}

TEST(ParallelBedModel, OddShapesSumEveryCellOnceAndReportEveryRowAndPiece) {
  // Rows grouped into units, rows at the unit size and just past it, and rows cut into pieces.
  const int shapes[][2] = {{1, 5000}, {4095, 3}, {4096, 2}, {4097, 2}, {65536, 1}, {65537, 2}, {3, 1}};
  for (const auto& shape : shapes) {
    SCOPED_TRACE(std::to_string(shape[0]) + " x " + std::to_string(shape[1]));
    DesignRecord design = DefaultDesign();
    design.bed_cells_x = shape[0];
    design.bed_cells_y = shape[1];
    const BedCellGrid grid = MakeBedCellGrid(design);
    std::vector<double> expected_shares;
    for (int k = 0; k < kCoilCount; ++k) {
      for (int j = 0; j < grid.cells_y; ++j) {
        for (int end = std::min(grid.cells_x, 65536);; end = std::min(grid.cells_x, end + 65536)) {
          expected_shares.push_back(
              (static_cast<double>(k) * grid.cells_y + j + static_cast<double>(end) / grid.cells_x) /
              (static_cast<double>(kCoilCount) * grid.cells_y));
          if (end == grid.cells_x) break;
        }
      }
    }
    const double omega = design.frequency_hz * 6.2831853072;
    for (int threads : {1, 7}) {
      ThreadCount count(threads);
      FakeProgress progress;
      DesignRecord computed = design;
      ASSERT_TRUE(ComputeBedModel(computed, progress));
      EXPECT_EQ(progress.shares, expected_shares) << threads;
      for (int k = 2; k < kCoilCount; k += 3) {
        const double flux = BedFlux(design.generators[k / 3], k % 3, grid);
        EXPECT_LE(std::fabs(computed.bed_voltages[k].imag() - omega * flux), 1e-12 * std::fabs(omega * flux))
            << k;
      }
    }
  }
}

// --- Monte-Carlo runs and sweeps -------------------------------------------------------------------

struct MonteCarloOutcome {
  AnalysisStatus status = AnalysisStatus::kFailed;
  std::string text;
  std::vector<double> shares;
};

MonteCarloOutcome MonteCarlo(const DesignRecord& design, int runs, int stop_at = 0) {
  FakeProgress progress;
  if (stop_at > 0) progress.cancel_after = stop_at;
  MonteCarloResult result;
  std::string error;
  MonteCarloOutcome out;
  out.status = RunMonteCarlo(design, {runs, 99}, progress, result, error);
  out.text =
      MonteCarloPointsCsv(result.points) + PointResultsCsv(result.first_run.rows) + Bytes(&result.summary, 1);
  out.shares = progress.shares;
  return out;
}

TEST(ParallelMonteCarlo, FiguresAndProgressAreTheSameOnEveryThreadCount) {
  for (int algorithm : {1, 2}) {
    DesignRecord design = NoisyDesign(algorithm);
    design.scan_x_step = design.scan_y_step = 0.05;
    // 5 runs: whole batches and a lone run left over on two threads, one batch on seven.
    std::vector<MonteCarloOutcome> outcomes;
    for (int threads : kThreadCounts) {
      ThreadCount count(threads);
      outcomes.push_back(MonteCarlo(design, 5));
      ASSERT_EQ(outcomes.back().status, AnalysisStatus::kDone);
    }
    for (std::size_t i = 1; i < outcomes.size(); ++i) {
      EXPECT_EQ(outcomes[i].text, outcomes[0].text)
          << "algorithm " << algorithm << ", threads " << kThreadCounts[i];
      EXPECT_EQ(outcomes[i].shares, outcomes[0].shares) << "threads " << kThreadCounts[i];
    }
  }
}

TEST(ParallelMonteCarlo, ACancelIsHeardAtTheSameReportOnEveryThreadCount) {
  DesignRecord design = NoisyDesign(2);
  design.scan_x_step = design.scan_y_step = 0.1;
  for (int threads : kThreadCounts) {
    ThreadCount count(threads);
    for (int stop_at : {1, 9 * 25 + 3, 9 * 25 + 6 * 4}) {
      const MonteCarloOutcome out = MonteCarlo(design, 6, stop_at);
      EXPECT_EQ(out.status, AnalysisStatus::kCancelled) << threads << " " << stop_at;
      EXPECT_EQ(out.shares.size(), static_cast<std::size_t>(stop_at)) << threads << " " << stop_at;
    }
  }
}

TEST(ParallelSweep, CsvAndProgressAreTheSameOnEveryThreadCount) {
  DesignRecord base = NoisyDesign(2);
  base.scan_x_step = base.scan_y_step = 0.05;
  SweepOptions options;
  // The frequency leaves every row's bed stale: rows compute their bed models too.
  options.axes = {{"frequency_hz", 5000.0, 20000.0, 3}, {"noise_peak_v", 0.0, 1e-5, 2}};
  for (int runs : {1, 3}) {
    options.monte_carlo.runs = runs;
    std::string one;
    FakeProgress one_progress;
    {
      ThreadCount count(1);
      one = SweepText(base, options, nullptr, &one_progress);
    }
    for (int threads : {2, 7}) {
      ThreadCount count(threads);
      FakeProgress progress;
      EXPECT_EQ(SweepText(base, options, nullptr, &progress), one)
          << "runs " << runs << ", threads " << threads;
      EXPECT_EQ(progress.shares, one_progress.shares) << "runs " << runs << ", threads " << threads;
    }
  }
}

TEST(ParallelSweep, ACancelStopsAfterTheSameRowsOnEveryThreadCount) {
  DesignRecord base = NoisyDesign(1);
  base.scan_x_step = base.scan_y_step = 0.1;
  SweepOptions options;
  options.axes = {{"noise_peak_v", 0.0, 1e-5, 9}};
  for (int threads : kThreadCounts) {
    ThreadCount count(threads);
    FakeProgress progress;
    progress.cancel_after = 1 + 9 * 25 + 6 * 4 + 2;  // the base's bed, four rows, and into the fifth
    std::string error;
    EXPECT_EQ(SweepText(base, options, &error, &progress), "failed: cancelled") << threads;
    EXPECT_EQ(progress.progress_calls, *progress.cancel_after) << threads;
  }
}

}  // namespace
}  // namespace orvendi
