#include "core/analysis/monte_carlo.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "core/analysis/csv_text.h"
#include "core/field/bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/platform/progress.h"
#include "core/position/accuracy.h"
#include "core/position/calculation.h"
#include "core/position/precision_bound.h"

namespace orvendi {

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// The share of the progress bar a stale bed model takes before the runs.
constexpr double kBedShare = 0.05;

}  // namespace

bool CalculateMonteCarloRun(const DesignRecord& design, int run, std::uint64_t seed, ResultBuffer& results,
                            const ProgressCallback& row_done) {
  CalculationWork work;
  work.noise = NoiseSource::ForRun(seed, run);
  LoadGeneratorPositions(design, work);
  return CalculateGrid(design, results, work, row_done);
}

MonteCarloAccumulator::MonteCarloAccumulator(const DesignRecord& design, int runs)
    : design_(design), runs_(runs) {
  ScanState scan;
  ScanStart(scan, design);
  ScanPoint point;
  while (ScanNextAlongFirst(scan, point)) grid_.push_back(point);
  sums_.resize(grid_.size());

  // Nearest rank: the 95th percentile of m errors is the ceil(0.95 m)-th smallest, that is the
  // smallest of the m - ceil(0.95 m) + 1 largest.
  const std::int64_t m = static_cast<std::int64_t>(runs) * static_cast<std::int64_t>(grid_.size());
  const std::int64_t rank = (95 * m + 99) / 100;
  largest_capacity_ = m > 0 ? static_cast<std::size_t>(m - rank + 1) : 0;
  largest_.reserve(largest_capacity_);
}

void MonteCarloAccumulator::KeepForPercentile(double error) {
  if (largest_.size() < largest_capacity_) {
    largest_.push_back(error);
    std::push_heap(largest_.begin(), largest_.end(), std::greater<>());
  } else if (largest_capacity_ > 0 && error > largest_.front()) {
    std::pop_heap(largest_.begin(), largest_.end(), std::greater<>());
    largest_.back() = error;
    std::push_heap(largest_.begin(), largest_.end(), std::greater<>());
  }
}

void MonteCarloAccumulator::AddRun(const ResultBuffer& results) {
  ++runs_added_;
  if (runs_added_ == 1) first_run_ = CollectPointResults(design_, results);
  for (std::size_t p = 0; p < grid_.size(); ++p) {
    const ScanPoint& point = grid_[p];
    PointSums& sums = sums_[p];
    const double* slot = results.Slot(point.first_index, point.second_index);
    const double d2 = SquaredPositionError(point.x, point.y, point.z, slot);
    sums.sum_sq_error += d2;
    all_sum_sq_ += d2;
    KeepForPercentile(std::sqrt(d2));
    if (!HasEstimate(slot)) {
      ++failed_;
      continue;
    }
    ++sums.estimates;
    const double n = sums.estimates;
    const double dx = slot[0] - sums.mean_x;
    const double dy = slot[1] - sums.mean_y;
    const double dz = slot[2] - sums.mean_z;
    sums.mean_x += dx / n;
    sums.mean_y += dy / n;
    sums.mean_z += dz / n;
    sums.squared_spread +=
        dx * (slot[0] - sums.mean_x) + dy * (slot[1] - sums.mean_y) + dz * (slot[2] - sums.mean_z);
  }
}

MonteCarloResult MonteCarloAccumulator::Finish() {
  MonteCarloResult result;
  result.first_run = std::move(first_run_);
  MonteCarloSummary& summary = result.summary;
  summary.runs = runs_added_;
  summary.points = static_cast<int>(grid_.size());
  summary.failed_estimates = failed_;

  double max_trueness = 0.0, sum_trueness = 0.0, max_precision = 0.0, sum_precision = 0.0;
  int estimated_points = 0;
  result.points.reserve(grid_.size());
  for (std::size_t p = 0; p < grid_.size(); ++p) {
    const ScanPoint& point = grid_[p];
    const PointSums& sums = sums_[p];
    MonteCarloPoint out{
        point.first_index, point.second_index, point.x, point.y, point.z, kNan, kNan, kNan, kNan, kNan, kNan,
        sums.estimates};
    out.rms_error_m = std::sqrt(sums.sum_sq_error / runs_added_);
    if (sums.estimates > 0) {
      const double mean[3] = {sums.mean_x, sums.mean_y, sums.mean_z};
      out.mean_x = sums.mean_x;
      out.mean_y = sums.mean_y;
      out.mean_z = sums.mean_z;
      out.trueness_m = std::sqrt(SquaredPositionError(point.x, point.y, point.z, mean));
      out.precision_m = std::sqrt(sums.squared_spread / sums.estimates);
      max_trueness = std::max(max_trueness, out.trueness_m);
      max_precision = std::max(max_precision, out.precision_m);
      sum_trueness += out.trueness_m;
      sum_precision += out.precision_m;
      ++estimated_points;
    }
    result.points.push_back(out);
  }

  const bool any_estimate = estimated_points > 0;
  summary.max_trueness_m = any_estimate ? max_trueness : kNan;
  summary.mean_trueness_m = any_estimate ? sum_trueness / estimated_points : kNan;
  summary.max_precision_m = any_estimate ? max_precision : kNan;
  summary.mean_precision_m = any_estimate ? sum_precision / estimated_points : kNan;
  const double estimates = static_cast<double>(runs_added_) * static_cast<double>(grid_.size());
  summary.rms_error_m = estimates > 0 ? std::sqrt(all_sum_sq_ / estimates) : kNan;
  summary.p95_error_m = largest_.empty() ? kNan : largest_.front();
  summary.max_error_m = largest_.empty() ? kNan : *std::max_element(largest_.begin(), largest_.end());
  return result;
}

bool CheckMonteCarloOptions(const MonteCarloOptions& options, std::string& error) {
  if (options.runs < 1) {
    error = "the number of runs must be at least 1";
    return false;
  }
  if (options.runs > kMaxMonteCarloRuns) {
    error = "the number of runs must be at most " + std::to_string(kMaxMonteCarloRuns);
    return false;
  }
  return true;
}

void AddPrecisionBounds(const DesignRecord& design, MonteCarloResult& result) {
  std::vector<BoundPoint> bounds;
  BoundGrid(design, bounds, {});
  const BoundSummary figures = SummariseBounds(bounds);
  result.summary.max_bound_m = figures.max_bound_m;
  result.summary.rms_bound_m = figures.rms_bound_m;
  double sum = 0.0;
  int defined = 0;
  for (std::size_t p = 0; p < result.points.size() && p < bounds.size(); ++p) {
    MonteCarloPoint& point = result.points[p];
    point.bound_m = bounds[p].bound_m;
    const double ratio = point.precision_m / point.bound_m;
    point.efficiency = std::isfinite(ratio) && point.bound_m > 0.0 ? ratio : kNan;
    if (std::isnan(point.efficiency)) continue;
    sum += point.efficiency;
    ++defined;
  }
  result.summary.mean_efficiency = defined > 0 ? sum / defined : kNan;
}

bool SimulateRuns(DesignRecord& design, const MonteCarloOptions& options, const ProgressCallback& progress,
                  MonteCarloResult& result, Progress* asked) {
  double runs_from = 0.0;
  if (design.include_bed_currents != 0 && design.bed_stale != 0) {
    runs_from = kBedShare;
    ProgressFunction bed_progress(ProgressPart(progress, 0.0, kBedShare));
    if (!RefreshBedModel(design, bed_progress)) return false;
  }

  MonteCarloAccumulator accumulator(design, options.runs);
  // Runs on other threads hear a cancel through the relay.
  CancelRelay relay(progress, asked);
  const ProgressCallback whole = [&relay](double share) { return relay.Report(share); };
  const double per_run = (1.0 - runs_from) / options.runs;
  const auto run_progress = [&](int run) {
    const double from = runs_from + per_run * (run - 1);
    const double to = run == options.runs ? 1.0 : runs_from + per_run * run;
    return ProgressPart(whole, from, to);
  };

  const int threads = ComputeThreads();
  if (threads == 1 || options.runs == 1) {
    // One run at a time, each spreading its grid over the threads.
    ResultBuffer buffer;
    for (int run = 1; run <= options.runs; ++run) {
      if (!CalculateMonteCarloRun(design, run, options.seed, buffer, run_progress(run))) return false;
      accumulator.AddRun(buffer);
    }
  } else {
    // Several runs at once, one per thread, each on a buffer of its own. Their progress reports
    // are kept and passed on from this thread, in run order, as one thread gives them; the runs
    // are added in run order too.
    const int slots = std::min(options.runs, threads + 8);
    std::vector<ResultBuffer> buffers(static_cast<std::size_t>(slots));
    std::vector<std::vector<double>> reports(static_cast<std::size_t>(slots));
    const auto compute = [&](std::int64_t index, int slot) {
      std::vector<double>& kept = reports[static_cast<std::size_t>(slot)];
      kept.clear();
      CalculateMonteCarloRun(design, static_cast<int>(index) + 1, options.seed,
                             buffers[static_cast<std::size_t>(slot)], [&kept, &relay](double share) {
                               kept.push_back(share);
                               return relay.GoOn();
                             });
    };
    const auto finish = [&](std::int64_t index, int slot) {
      const ProgressCallback part = run_progress(static_cast<int>(index) + 1);
      for (const double share : reports[static_cast<std::size_t>(slot)]) {
        if (relay.Cancelled() || !part(share)) return false;
      }
      accumulator.AddRun(buffers[static_cast<std::size_t>(slot)]);
      return true;
    };
    if (!RunInOrder(options.runs, slots, compute, finish, [&relay] { return relay.GoOn(); })) return false;
  }
  result = accumulator.Finish();
  AddPrecisionBounds(design, result);
  return true;
}

AnalysisStatus RunMonteCarlo(const DesignRecord& design, const MonteCarloOptions& options, Progress& progress,
                             MonteCarloResult& result, std::string& error) {
  if (!CheckMonteCarloOptions(options, error)) return AnalysisStatus::kFailed;
  DesignRecord copy = design;
  MonteCarloResult computed;
  if (!SimulateRuns(copy, options, ProgressOf(progress), computed, &progress)) {
    error = kCancelledMessage;
    return AnalysisStatus::kCancelled;
  }
  result = std::move(computed);
  return AnalysisStatus::kDone;
}

std::string MonteCarloPointsCsv(const std::vector<MonteCarloPoint>& points) {
  std::string out =
      "first_index,second_index,true_x_m,true_y_m,true_z_m,mean_x_m,mean_y_m,mean_z_m,trueness_m,precision_m,"
      "rms_error_m,bound_m,efficiency\n";
  for (const MonteCarloPoint& p : points) {
    AppendCsvGridLine(out, p.first_index, p.second_index,
                      {p.true_x, p.true_y, p.true_z, p.mean_x, p.mean_y, p.mean_z, p.trueness_m,
                       p.precision_m, p.rms_error_m, p.bound_m, p.efficiency});
  }
  return out;
}

}  // namespace orvendi
