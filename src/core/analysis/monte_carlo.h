#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/analysis/point_results.h"
#include "core/analysis/progress.h"
#include "core/design/design_record.h"
#include "core/position/scan_grid.h"

namespace orvendi {

inline constexpr std::uint64_t kDefaultMonteCarloSeed = 1;
inline constexpr int kMaxMonteCarloRuns = 100000;

// Repeated runs of one design, each with its own noise sequence.
struct MonteCarloOptions {
  int runs = 1;
  std::uint64_t seed = kDefaultMonteCarloSeed;
};

// One grid point over all runs. The mean estimate is over the runs that produced one (NaN when
// none did); trueness is its distance from the true point, precision the RMS distance of the
// runs' estimates from their mean, and rms_error_m the RMS error over all runs, where a failed
// run counts as an infinite error.
struct MonteCarloPoint {
  int first_index = 0;
  int second_index = 0;
  double true_x = 0.0, true_y = 0.0, true_z = 0.0;
  double mean_x = 0.0, mean_y = 0.0, mean_z = 0.0;
  double trueness_m = 0.0;
  double precision_m = 0.0;
  double rms_error_m = 0.0;
  int estimates = 0;
  // The point's precision bound (precision_bound.h) and the precision over it, the estimator's
  // efficiency (NaN where either is not a positive finite number).
  double bound_m = std::numeric_limits<double>::quiet_NaN();
  double efficiency = std::numeric_limits<double>::quiet_NaN();
};

// Trueness and precision figures are over the points with at least one estimate (NaN when there
// is none); the RMS and the 95th percentile (nearest rank) are over every estimate of every run,
// a failed one counting as an infinite error.
struct MonteCarloSummary {
  int runs = 0;
  int points = 0;
  double max_trueness_m = 0.0;
  double mean_trueness_m = 0.0;
  double max_precision_m = 0.0;
  double mean_precision_m = 0.0;
  double rms_error_m = 0.0;
  double p95_error_m = 0.0;
  double max_error_m = 0.0;  // the largest error of any run, which the targets are judged by
  std::int64_t failed_estimates = 0;
  // Over every grid point, as the bound command gives them; the efficiency's mean is over the
  // points where it is defined (NaN when none).
  double max_bound_m = std::numeric_limits<double>::quiet_NaN();
  double rms_bound_m = std::numeric_limits<double>::quiet_NaN();
  double mean_efficiency = std::numeric_limits<double>::quiet_NaN();
};

struct MonteCarloResult {
  PointResults first_run;  // run 1, which is what a single "Calculate" gives
  std::vector<MonteCarloPoint> points;
  MonteCarloSummary summary;
};

// Run `run` (from 1) of the design: every grid point into `results` with that run's noise
// sequence. Depends on nothing but its arguments, so runs may be computed in any order or at
// once. The design's bed results must be current. `row_done` as for CalculateGrid.
bool CalculateMonteCarloRun(const DesignRecord& design, int run, std::uint64_t seed, ResultBuffer& results,
                            const ProgressCallback& row_done = {});

// Folds the runs' buffers into per-point and overall figures. Runs must be added in run order,
// which makes every figure independent of how the runs were computed. Besides the sums of each
// point it keeps only the largest 5 % of the errors, which the percentile needs.
class MonteCarloAccumulator {
 public:
  // For exactly `runs` runs of the design.
  MonteCarloAccumulator(const DesignRecord& design, int runs);

  void AddRun(const ResultBuffer& results);
  // After all runs have been added.
  MonteCarloResult Finish();

 private:
  struct PointSums {
    int estimates = 0;
    double mean_x = 0.0, mean_y = 0.0, mean_z = 0.0;
    double squared_spread = 0.0;  // sum of squared distances from the running mean (Welford)
    double sum_sq_error = 0.0;
  };

  void KeepForPercentile(double error);

  DesignRecord design_;
  int runs_;
  int runs_added_ = 0;
  std::vector<ScanPoint> grid_;
  std::vector<PointSums> sums_;
  PointResults first_run_;
  double all_sum_sq_ = 0.0;
  std::int64_t failed_ = 0;
  // The largest errors seen, as a min-heap of fixed size whose top is the percentile at the end.
  std::vector<double> largest_;
  std::size_t largest_capacity_ = 0;
};

// Checks the options; false with a message when they are out of range.
bool CheckMonteCarloOptions(const MonteCarloOptions& options, std::string& error);

// Sets the points' and the summary's bound figures of a finished result of the design, whose bed
// results must be current.
void AddPrecisionBounds(const DesignRecord& design, MonteCarloResult& result);

// Every run of the design, refreshing its bed results first when they are included and stale.
// False when `progress` asked to stop. Several runs go on at once on the compute threads;
// `progress` hears from this thread only, in run order; `asked`, when given, is asked whether it is
// still wanted while this thread waits for runs on the others, and they hear the answer.
bool SimulateRuns(DesignRecord& design, const MonteCarloOptions& options, const ProgressCallback& progress,
                  MonteCarloResult& result, Progress* asked = nullptr);

// The Monte-Carlo command: options.runs runs of a copy of the design, kCancelled when `progress`
// asked to stop. `result` is written only on kDone; the design is never changed.
AnalysisStatus RunMonteCarlo(const DesignRecord& design, const MonteCarloOptions& options, Progress& progress,
                             MonteCarloResult& result, std::string& error);

// The points as CSV: a header and one line per point, empty cells where there is no value.
std::string MonteCarloPointsCsv(const std::vector<MonteCarloPoint>& points);

}  // namespace orvendi
