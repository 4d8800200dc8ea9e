// The largest settings the dialogs accept: a 101 x 101 grid, algorithm 2, a bed of 1000 x 1000
// cells and Monte-Carlo runs. They must keep reporting progress (the window's progress dialog
// and its Cancel live on those reports) and stay well under 1 GiB of memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/analysis/monte_carlo.h"
#include "core/dialogs/window_runs.h"
#include "core/platform/progress.h"
#include "support/default_design.h"
#include "support/fake_host.h"
#include "support/fake_progress.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ORVENDI_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ORVENDI_SANITIZED 1
#endif
#endif

namespace orvendi {
namespace {

using Clock = std::chrono::steady_clock;

DesignRecord LargestDesign() {
  DesignRecord design = testing::DefaultDesign();
  design.scan_x_from = -0.5;
  design.scan_x_to = 0.5;
  design.scan_x_step = 0.01;
  design.scan_y_from = -0.5;
  design.scan_y_to = 0.5;
  design.scan_y_step = 0.01;
  design.algorithm_type = 2;
  design.noise_peak_v = 1e-6;
  design.include_bed_currents = 1;
  design.bed_cells_x = 1000;
  design.bed_cells_y = 1000;
  design.bed_stale = 1;
  return design;
}

#ifndef ORVENDI_SANITIZED
// Notes the longest time between two progress reports: the time the window would not answer.
class StopwatchProgress : public Progress {
 public:
  bool Report(double) override {
    const Clock::time_point now = Clock::now();
    longest = std::max(longest, now - last);
    last = now;
    ++reports;
    return true;
  }
  Clock::time_point last = Clock::now();
  Clock::duration longest{};
  long reports = 0;
};

// The process's peak resident memory since the last ResetPeak: its other memory counts too, so
// the figure is on the safe side.
long PeakKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) != 0) continue;
    const std::size_t digits = line.find_first_of("0123456789");
    long kib = 0;
    if (digits != std::string::npos) std::from_chars(line.data() + digits, line.data() + line.size(), kib);
    return kib;
  }
  return -1;
}

bool ResetPeak() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5" << std::flush); }

struct LargestRun {
  long peak_kib = 0;
  long milliseconds = 0;
  long longest_silence_ms = 0;
  long reports = 0;
  int points = 0;
  std::string failure;
};

// Measured in this process: a forked child could not start the OpenMP threads again.
LargestRun MeasureLargestRun(int runs) {
  LargestRun run;
  if (!ResetPeak()) {
    run.failure = "the peak cannot be reset";
    return run;
  }
  StopwatchProgress progress;
  MonteCarloOptions options;
  options.runs = runs;
  MonteCarloResult result;
  const auto started = Clock::now();
  if (RunMonteCarlo(LargestDesign(), options, progress, result, run.failure) != AnalysisStatus::kDone) {
    return run;
  }
  const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
  run.milliseconds = ms(Clock::now() - started);
  run.peak_kib = PeakKib();
  run.longest_silence_ms = ms(progress.longest);
  run.reports = progress.reports;
  run.points = result.summary.points;
  return run;
}
#endif

TEST(Limits, TheLargestDesignStaysUnderAGibibyteAndKeepsReportingProgress) {
#ifdef ORVENDI_SANITIZED
  GTEST_SKIP() << "a sanitizer's own memory and slowness say nothing about the program's";
#else
  // 1000 runs take over a minute on two cores (71 s, peak 16 MiB when measured); what grows with
  // the runs is measured between two smaller counts and carried on to 1000.
  constexpr int kFew = 5;
  constexpr int kMore = 40;
  constexpr int kLargest = 1000;
  const LargestRun few = MeasureLargestRun(kFew);
  ASSERT_EQ(few.points, 101 * 101) << few.failure;
  const LargestRun more = MeasureLargestRun(kMore);
  ASSERT_EQ(more.points, 101 * 101) << more.failure;

  const double per_run_kib = std::max(0.0, static_cast<double>(more.peak_kib - few.peak_kib) / (kMore - kFew));
  const double largest_kib = static_cast<double>(more.peak_kib) + per_run_kib * (kLargest - kMore);
  std::printf("peak %ld KiB at %d runs, %ld KiB at %d runs: %ld KiB at %d runs; %ld ms for %d runs with "
              "%ld progress reports, at most %ld ms apart\n",
              few.peak_kib, kFew, more.peak_kib, kMore, static_cast<long>(largest_kib), kLargest, more.milliseconds,
              kMore, more.reports, more.longest_silence_ms);
  EXPECT_LT(largest_kib, 1024.0 * 1024.0);
  // Between two reports the progress dialog does not answer the user: a report at least every
  // grid row. The longest pause is printed above; timing is the benches' job, not a test's.
  EXPECT_GE(more.reports, 9 * 1000 + kMore * 101);
#endif
}

TEST(Limits, ACancelEndsTheLargestRunAtOnce) {
  // Past the bed model's 9000 row reports, into the second run.
  constexpr int kCancelAt = 9 * 1000 + 150;
  testing::FakeHost host;
  testing::FakeProgress progress;
  progress.cancel_after = kCancelAt;
  MonteCarloOptions options;
  options.runs = 1000;
  MonteCarloResult result;
  std::string error;
  const auto started = Clock::now();
  EXPECT_EQ(RunMonteCarloInWindow(LargestDesign(), options, host, progress, result, error),
            AnalysisStatus::kCancelled);
  EXPECT_EQ(progress.progress_calls, kCancelAt);
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - started).count(), 60.0);
  EXPECT_EQ(host.Count("capture"), 1);
  EXPECT_EQ(host.Count("release"), 1);
}

}  // namespace
}  // namespace orvendi
