// The same bits whatever the thread count: the calculation run, the bed model, Monte-Carlo runs
// and sweeps on 1, 2 and 7 threads (7 also on a machine with fewer cores).
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/monte_carlo.h"
#include "analysis/sweep.h"
#include "analysis_test_support.h"
#include "field/bed_flux_kernel.h"
#include "field/bed_model.h"
#include "position/calculation.h"
#include "support/fake_host.h"
#include "support/thread_count.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;
using testing::FakeHost;
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
  for (int algorithm : {1, 2}) {
    DesignRecord design = NoisyDesign(algorithm);
    NullHost host;
    ASSERT_TRUE(RefreshBedModel(design, host));
    // Two runs in a row: the second continues the noise sequence where the first left it.
    NoiseSource noise;
    const ResultBuffer first = SequentialRun(design, noise);
    const ResultBuffer second = SequentialRun(design, noise);
    for (int threads : kThreadCounts) {
      SCOPED_TRACE("algorithm " + std::to_string(algorithm) + ", threads " + std::to_string(threads));
      ThreadCount count(threads);
      ResultBuffer results;
      CalculationWork work;
      CalculateCommand(design, results, work, host);
      EXPECT_EQ(Bytes(results), Bytes(first));
      CalculateCommand(design, results, work, host);
      EXPECT_EQ(Bytes(results), Bytes(second));
      EXPECT_EQ(work.noise, noise);
    }
  }
}

TEST(ParallelCalculation, ProgressComesPerRowAndAStopLeavesTheNoiseAfterThatRow) {
  const DesignRecord design = NoisyDesign(2);
  for (int threads : kThreadCounts) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    ThreadCount count(threads);
    ResultBuffer results;
    CalculationWork work;
    LoadGeneratorPositions(design, work);
    FakeHost host;
    host.cancel_after = 5;
    EXPECT_FALSE(
        CalculateGrid(design, results, work, [&host](double share) { return host.ReportProgress(share); }));
    ASSERT_EQ(host.shares.size(), 5u);
    EXPECT_EQ(host.shares[4], 5 / 21.0);
    NoiseSource expected;
    expected.Skip(5 * 21 * 9);
    EXPECT_EQ(work.noise, expected);
  }
}

TEST(ParallelCalculation, ACancelledRunRestoresBufferAndNoiseOnEveryThreadCount) {
  for (int threads : kThreadCounts) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    ThreadCount count(threads);
    DesignRecord design = NoisyDesign(1);
    ResultBuffer results;
    CalculationWork work;
    FakeHost host;
    CalculateCommand(design, results, work, host);
    ASSERT_EQ(design.results_valid, 1);
    const std::string before = Bytes(results);
    const NoiseSource noise_before = work.noise;
    for (int cancel_at : {1, 7, 21}) {
      FakeHost cancelling;
      cancelling.cancel_after = cancel_at;
      CalculateCommand(design, results, work, cancelling);
      EXPECT_EQ(cancelling.progress_calls, cancel_at);
      EXPECT_EQ(Bytes(results), before);
      EXPECT_EQ(work.noise, noise_before);
    }
  }
}

TEST(ParallelCalculation, WhileTheRunGoesOnTheShownResultsStayThePrevious) {
  // What a repaint during a progress report would read.
  struct PeekingHost : NullHost {
    bool ReportProgress(double) override {
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
  NullHost quiet;
  CalculateCommand(design, results, work, quiet);
  PeekingHost host;
  host.shown = &results;
  host.before = Bytes(results);
  CalculateCommand(design, results, work, host);
  EXPECT_EQ(host.reports, 21);
  EXPECT_EQ(host.changed, 0);
  EXPECT_NE(Bytes(results), host.before);  // the second run draws other noise
}

// --- The bed model ---------------------------------------------------------------------------------

struct BedOutcome {
  std::string phasors;
  std::vector<double> shares;
};

BedOutcome BedModel(DesignRecord design) {
  FakeHost host;
  EXPECT_TRUE(ComputeBedModel(design, host));
  return {Bytes(design.bed_voltages.data(), kCoilCount) + Bytes(design.bed_currents.data(), kCoilCount),
          host.shares};
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

TEST(ParallelBedModel, TheFluxIsTheSingleChainSumToRounding) {
  DesignRecord design = DefaultDesign();
  design.bed_cells_x = 333;
  design.bed_cells_y = 101;
  const BedCellGrid grid = MakeBedCellGrid(design);
  const double omega = design.frequency_hz * 6.2831853072;
  ThreadCount count(7);
  NullHost host;
  ASSERT_TRUE(ComputeBedModel(design, host));
  for (int k = 0; k < kCoilCount; ++k) {
    // Generator 0's X coil cancels to rounding; the others are compared relative to their size.
    const double flux = BedFlux(design.generators[k / 3], k % 3, grid);
    const double scale = k == 0 ? std::fabs(BedFlux(design.generators[0], 2, grid)) : std::fabs(flux);
    EXPECT_LE(std::fabs(design.bed_voltages[k].imag() - omega * flux), 1e-12 * omega * scale) << k;
  }
}

TEST(ParallelBedModel, ACancelKeepsThePreviousPhasors) {
  for (int threads : {2, 7}) {
    ThreadCount count(threads);
    DesignRecord design = DefaultDesign();
    design.bed_cells_x = design.bed_cells_y = 300;
    for (int k = 0; k < kCoilCount; ++k) design.bed_voltages[k] = Phasor(k, -k);
    const auto before = design.bed_voltages;
    FakeHost host;
    host.cancel_after = 450;  // within the second coil
    EXPECT_FALSE(ComputeBedModel(design, host));
    EXPECT_EQ(host.progress_calls, 450);
    EXPECT_EQ(design.bed_voltages, before);
  }
}

// --- Monte-Carlo runs and sweeps -------------------------------------------------------------------

struct MonteCarloOutcome {
  AnalysisStatus status = AnalysisStatus::kFailed;
  std::string text;
  std::vector<double> shares;
};

MonteCarloOutcome MonteCarlo(const DesignRecord& design, int runs, int stop_at = 0) {
  FakeHost host;
  if (stop_at > 0) host.cancel_after = stop_at;
  MonteCarloResult result;
  std::string error;
  MonteCarloOutcome out;
  out.status = RunMonteCarlo(design, {runs, 99}, host, result, error);
  out.text =
      MonteCarloPointsCsv(result.points) + PointResultsCsv(result.first_run.rows) + Bytes(&result.summary, 1);
  out.shares = host.shares;
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

TEST(ParallelSweep, TheCsvIsTheSameOnEveryThreadCount) {
  DesignRecord base = NoisyDesign(2);
  base.scan_x_step = base.scan_y_step = 0.05;
  SweepOptions options;
  options.axes = {{"frequency_hz", 5000.0, 20000.0, 3}, {"noise_peak_v", 0.0, 1e-5, 2}};
  for (int runs : {1, 3}) {
    options.monte_carlo.runs = runs;
    std::string one;
    {
      ThreadCount count(1);
      one = SweepText(base, options);
    }
    for (int threads : {2, 7}) {
      ThreadCount count(threads);
      EXPECT_EQ(SweepText(base, options), one) << "runs " << runs << ", threads " << threads;
    }
  }
}

}  // namespace
}  // namespace orvendi
