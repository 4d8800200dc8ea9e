#include "core/analysis/monte_carlo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "analysis_test_support.h"
#include "core/dialogs/window_runs.h"
#include "support/fake_host.h"
#include "support/fake_progress.h"

namespace orvendi {
namespace {

using testing::CalculateOnce;
using testing::DefaultDesign;
using testing::FakeHost;
using testing::FakeProgress;
using testing::Put;
using testing::RowDesign;
using testing::SameBits;

constexpr double kInf = std::numeric_limits<double>::infinity();

MonteCarloResult Simulate(const DesignRecord& design, int runs, std::uint64_t seed = kDefaultMonteCarloSeed) {
  MonteCarloResult result;
  NoProgress progress;
  std::string error;
  EXPECT_EQ(RunMonteCarlo(design, {runs, seed}, progress, result, error), AnalysisStatus::kDone) << error;
  return result;
}

bool SamePoints(const std::vector<PointResult>& a, const std::vector<PointResult>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const PointResult& p = a[i];
    const PointResult& q = b[i];
    if (p.first_index != q.first_index || p.second_index != q.second_index || !SameBits(p.est_x, q.est_x) ||
        !SameBits(p.est_y, q.est_y) || !SameBits(p.est_z, q.est_z) || !SameBits(p.error_m, q.error_m)) {
      return false;
    }
  }
  return true;
}

bool SameResult(const MonteCarloResult& a, const MonteCarloResult& b) {
  if (!SamePoints(a.first_run.rows, b.first_run.rows) || a.points.size() != b.points.size()) return false;
  for (std::size_t i = 0; i < a.points.size(); ++i) {
    const MonteCarloPoint& p = a.points[i];
    const MonteCarloPoint& q = b.points[i];
    for (auto [x, y] : {std::pair{p.mean_x, q.mean_x},
                        {p.mean_y, q.mean_y},
                        {p.mean_z, q.mean_z},
                        {p.trueness_m, q.trueness_m},
                        {p.precision_m, q.precision_m},
                        {p.rms_error_m, q.rms_error_m}}) {
      if (!SameBits(x, y)) return false;
    }
  }
  const MonteCarloSummary& s = a.summary;
  const MonteCarloSummary& t = b.summary;
  return SameBits(s.max_trueness_m, t.max_trueness_m) && SameBits(s.mean_trueness_m, t.mean_trueness_m) &&
         SameBits(s.max_precision_m, t.max_precision_m) && SameBits(s.mean_precision_m, t.mean_precision_m) &&
         SameBits(s.rms_error_m, t.rms_error_m) && SameBits(s.p95_error_m, t.p95_error_m) &&
         s.failed_estimates == t.failed_estimates && s.runs == t.runs && s.points == t.points;
}

// --- Noise sequences of the runs -------------------------------------------------------------------

TEST(NoiseSourceForRun, RunOneIsTheFreshProgramsSequenceAndLaterRunsAreTheirOwn) {
  EXPECT_EQ(NoiseSource::ForRun(kDefaultMonteCarloSeed, 1), NoiseSource());
  EXPECT_EQ(NoiseSource::ForRun(987654321, 1), NoiseSource());

  std::vector<int> first_draws;
  for (int run = 2; run <= 200; ++run) {
    NoiseSource source = NoiseSource::ForRun(kDefaultMonteCarloSeed, run);
    EXPECT_EQ(source, NoiseSource::ForRun(kDefaultMonteCarloSeed, run));
    EXPECT_NE(source, NoiseSource::ForRun(kDefaultMonteCarloSeed + 1, run));
    EXPECT_NE(source, NoiseSource());
    first_draws.push_back(source.Next());
  }
  std::sort(first_draws.begin(), first_draws.end());
  // Neighbouring runs are not neighbouring states: their first draws spread over the range.
  EXPECT_LT(first_draws.front(), 2000);
  EXPECT_GT(first_draws.back(), 30000);
  EXPECT_GT(std::unique(first_draws.begin(), first_draws.end()) - first_draws.begin(), 190);

  // The derivation is part of the results' reproducibility on every machine.
  NoiseSource run2 = NoiseSource::ForRun(kDefaultMonteCarloSeed, 2);
  NoiseSource pinned(0xbcd9dbb4u);
  EXPECT_EQ(run2, pinned);
}

// --- The accumulation, against figures worked out by hand -----------------------------------------

// One point at (0, 0, 0.4) whose run r (from 1) is estimated r mm above it.
TEST(MonteCarloAccumulator, FiguresOfOnePointOverTwentyRuns) {
  MonteCarloAccumulator accumulator(RowDesign(1), 20);
  for (int run = 1; run <= 20; ++run) {
    ResultBuffer buffer;
    Put(buffer, 0, 0.0, 0.0, 0.4 + 0.001 * run);
    accumulator.AddRun(buffer);
  }
  const MonteCarloResult result = accumulator.Finish();
  ASSERT_EQ(result.points.size(), 1u);
  const MonteCarloPoint& p = result.points[0];
  EXPECT_EQ(p.estimates, 20);
  EXPECT_NEAR(p.mean_z, 0.4105, 1e-15);
  EXPECT_NEAR(p.trueness_m, 0.0105, 1e-15);
  // Population standard deviation of 1..20 mm, and the RMS of 1..20 mm.
  EXPECT_NEAR(p.precision_m, 0.001 * std::sqrt(399.0 / 12.0), 1e-15);
  EXPECT_NEAR(p.rms_error_m, 0.001 * std::sqrt(2870.0 / 20.0), 1e-15);
  EXPECT_NEAR(result.summary.rms_error_m, p.rms_error_m, 1e-16);
  // Nearest rank: the 19th smallest of 20.
  EXPECT_NEAR(result.summary.p95_error_m, 0.019, 1e-15);
  EXPECT_EQ(result.summary.failed_estimates, 0);
  EXPECT_EQ(result.summary.runs, 20);
  EXPECT_EQ(result.summary.max_trueness_m, p.trueness_m);
  EXPECT_EQ(result.summary.mean_precision_m, p.precision_m);
  EXPECT_NEAR(result.first_run.summary.max_error_m, 0.001, 1e-15);
}

TEST(MonteCarloAccumulator, FailedEstimatesCountAsInfiniteErrors) {
  // Two points; point 0 fails in runs 1 and 2 of 20, point 1 in every run.
  MonteCarloAccumulator accumulator(RowDesign(2), 20);
  for (int run = 1; run <= 20; ++run) {
    ResultBuffer buffer;
    if (run > 2) Put(buffer, 0, 0.002, 0.0, 0.4);
    accumulator.AddRun(buffer);
  }
  const MonteCarloResult result = accumulator.Finish();
  EXPECT_EQ(result.summary.failed_estimates, 22);
  EXPECT_EQ(result.points[0].estimates, 18);
  EXPECT_NEAR(result.points[0].trueness_m, 0.002, 1e-16);
  EXPECT_EQ(result.points[0].precision_m, 0.0);
  EXPECT_EQ(result.points[0].rms_error_m, kInf);
  EXPECT_EQ(result.points[1].estimates, 0);
  EXPECT_TRUE(std::isnan(result.points[1].mean_x));
  EXPECT_TRUE(std::isnan(result.points[1].trueness_m));
  EXPECT_TRUE(std::isnan(result.points[1].precision_m));
  // Only points with an estimate enter trueness and precision.
  EXPECT_NEAR(result.summary.mean_trueness_m, 0.002, 1e-16);
  EXPECT_EQ(result.summary.mean_precision_m, 0.0);
  EXPECT_EQ(result.summary.rms_error_m, kInf);
  EXPECT_EQ(result.summary.p95_error_m, kInf);
  EXPECT_EQ(result.first_run.summary.failed_points, 2);

  const std::string csv = MonteCarloPointsCsv(result.points);
  EXPECT_EQ(
      csv.substr(0, csv.find('\n')),
      "first_index,second_index,true_x_m,true_y_m,true_z_m,mean_x_m,mean_y_m,mean_z_m,trueness_m,precision_m,"
      "rms_error_m,bound_m,efficiency");
  EXPECT_NE(csv.find("\n0,0,0,0,0.4,0.002,0,0.4,0.002,0,inf,,\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\n1,0,0.1,0,0.4,,,,,,inf,,\n"), std::string::npos) << csv;
}

TEST(MonteCarloAccumulator, ThePercentileIsTheNearestRankOverAllEstimates) {
  // 3 points x 7 runs = 21 estimates with errors 1..21 mm in a shuffled order: rank ceil(19.95) = 20.
  MonteCarloAccumulator accumulator(RowDesign(3), 7);
  const int order[21] = {7, 21, 3, 15, 1, 19, 11, 2, 20, 9, 14, 5, 18, 12, 4, 16, 8, 10, 13, 6, 17};
  for (int run = 0; run < 7; ++run) {
    ResultBuffer buffer;
    for (int i = 0; i < 3; ++i) Put(buffer, i, 0.1 * i, 0.001 * order[3 * run + i], 0.4);
    accumulator.AddRun(buffer);
  }
  EXPECT_NEAR(accumulator.Finish().summary.p95_error_m, 0.020, 1e-15);
}

// --- Monte-Carlo of real designs ------------------------------------------------------------------

TEST(RunMonteCarlo, WithoutNoiseEveryRunIsTheSingleRun) {
  for (int algorithm : {1, 2}) {
    DesignRecord design = DefaultDesign();
    design.algorithm_type = algorithm;
    design.sensor_theta_rad = 0.3;
    const MonteCarloResult result = Simulate(design, 5);
    const testing::SingleRun single = CalculateOnce(design);
    const PointResults expected = CollectPointResults(single.design, single.results);
    ASSERT_EQ(result.points.size(), expected.rows.size());
    for (std::size_t i = 0; i < result.points.size(); ++i) {
      const MonteCarloPoint& p = result.points[i];
      EXPECT_TRUE(SameBits(p.trueness_m, expected.rows[i].error_m)) << i;
      EXPECT_EQ(p.precision_m, 0.0) << i;
      EXPECT_EQ(p.mean_x, expected.rows[i].est_x) << i;
      EXPECT_NEAR(p.rms_error_m, p.trueness_m, 1e-18) << i;
      EXPECT_EQ(p.estimates, 5);
    }
    EXPECT_TRUE(SameBits(result.summary.max_trueness_m, single.design.max_error_m));
    EXPECT_EQ(result.summary.max_precision_m, 0.0);
    EXPECT_EQ(result.summary.failed_estimates, 0);
    EXPECT_NEAR(result.summary.rms_error_m, single.design.rms_error_m, 1e-18);
    EXPECT_GT(result.summary.p95_error_m, 0.0);
    EXPECT_LE(result.summary.p95_error_m, single.design.max_error_m);
  }
}

TEST(RunMonteCarlo, NoisyRunsAreReproducibleAndScaleWithTheNoise) {
  for (int algorithm : {1, 2}) {
    DesignRecord design = DefaultDesign();
    design.algorithm_type = algorithm;
    design.noise_peak_v = 1e-6;
    const MonteCarloResult small = Simulate(design, 40);
    const MonteCarloResult again = Simulate(design, 40);
    EXPECT_TRUE(SameResult(small, again)) << algorithm;
    EXPECT_FALSE(SameResult(small, Simulate(design, 40, 2))) << algorithm;

    // Run 1 is exactly what one "Calculate" of a fresh program gives.
    const testing::SingleRun single = CalculateOnce(design);
    EXPECT_TRUE(SamePoints(small.first_run.rows, CollectPointResults(single.design, single.results).rows));
    EXPECT_TRUE(SameBits(small.first_run.summary.rms_error_m, single.design.rms_error_m));

    EXPECT_GT(small.summary.mean_precision_m, 0.0);
    EXPECT_EQ(small.summary.failed_estimates, 0);
  }
}

TEST(RunMonteCarlo, DoubledNoiseDoublesThePrecision) {
  // Algorithm 1 is close to linear in the noise there; algorithm 2's rare far-off fits are not.
  DesignRecord design = DefaultDesign();
  design.noise_peak_v = 1e-6;
  const MonteCarloResult small = Simulate(design, 40);
  design.noise_peak_v = 2e-6;
  const MonteCarloResult large = Simulate(design, 40);
  EXPECT_NEAR(large.summary.mean_precision_m / small.summary.mean_precision_m, 2.0, 0.2);
  EXPECT_NEAR(large.summary.max_precision_m / small.summary.max_precision_m, 2.0, 0.2);
  EXPECT_NEAR(large.summary.p95_error_m / small.summary.p95_error_m, 2.0, 0.2);
  // The bias of the real coils stays; the noise adds to it.
  EXPECT_GT(large.summary.mean_trueness_m, small.summary.mean_trueness_m);
}

// --- Options, progress and cancel -----------------------------------------------------------------

TEST(RunMonteCarlo, BadRunCountsAreRefusedBeforeAnythingRuns) {
  const DesignRecord design = DefaultDesign();
  for (int runs : {0, -3, kMaxMonteCarloRuns + 1}) {
    FakeHost host;
    FakeProgress progress;
    MonteCarloResult result;
    result.summary.runs = 77;
    std::string error;
    EXPECT_EQ(RunMonteCarloInWindow(design, {runs, 1}, host, progress, result, error),
              AnalysisStatus::kFailed);
    EXPECT_NE(error.find("runs"), std::string::npos) << error;
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(progress.progress_calls, 0);
    EXPECT_EQ(result.summary.runs, 77);
  }
}

TEST(RunMonteCarlo, ProgressCoversTheBedAndTheRunsInOrder) {
  FakeProgress progress;
  DesignRecord design = DefaultDesign();
  design.include_bed_currents = 1;
  design.bed_cells_x = design.bed_cells_y = 10;
  MonteCarloResult result;
  std::string error;
  ASSERT_EQ(RunMonteCarlo(design, {4, 1}, progress, result, error), AnalysisStatus::kDone);
  const std::vector<double>& shares = progress.shares;
  ASSERT_GT(shares.size(), 24u);  // the bed's rows, then 6 grid rows per run
  EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
  EXPECT_GE(shares.front(), 0.0);
  EXPECT_LE(shares.front(), 0.05);
  EXPECT_EQ(shares.back(), 1.0);
  EXPECT_NEAR(shares[shares.size() - 7], 0.05 + 0.95 * 3 / 4, 1e-15);  // the end of run 3
  EXPECT_EQ(design.bed_stale, 1);  // the caller's design is left alone
}

TEST(RunMonteCarlo, ACancelChangesNothing) {
  DesignRecord design = DefaultDesign();
  design.include_bed_currents = 1;
  design.noise_peak_v = 1e-6;
  MonteCarloResult result = Simulate(DefaultDesign(), 2);
  const MonteCarloResult before = result;
  for (int cancel_at : {1, 3, 30}) {
    FakeHost host;
    FakeProgress progress;
    progress.cancel_after = cancel_at;
    std::string error;
    EXPECT_EQ(RunMonteCarloInWindow(design, {10, 1}, host, progress, result, error),
              AnalysisStatus::kCancelled);
    EXPECT_EQ(error, "cancelled");
    EXPECT_TRUE(SameResult(result, before));
    EXPECT_EQ(design.bed_stale, 1);
    EXPECT_EQ(design.bed_currents[0], Phasor(0.0, 0.0));
    EXPECT_EQ(host.Count("capture"), 1);
    EXPECT_EQ(host.log.back(), "invalidate drawing all erase");
  }
}

TEST(RunMonteCarlo, AnEmptyGridHasNoFigures) {
  DesignRecord design = DefaultDesign();
  design.scan_plane = 3;
  const MonteCarloResult result = Simulate(design, 3);
  EXPECT_TRUE(result.points.empty());
  EXPECT_EQ(result.summary.points, 0);
  for (double v : {result.summary.max_trueness_m, result.summary.mean_precision_m, result.summary.rms_error_m,
                   result.summary.p95_error_m}) {
    EXPECT_TRUE(std::isnan(v));
  }
  EXPECT_EQ(MonteCarloPointsCsv(result.points).find('\n') + 1, MonteCarloPointsCsv(result.points).size());
}

}  // namespace
}  // namespace orvendi
