#include "core/analysis/sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis_test_support.h"
#include "core/design/design_file.h"
#include "core/dialogs/window_runs.h"
#include "support/fake_host.h"
#include "support/fake_progress.h"
#include "support/thread_count.h"

namespace orvendi {
namespace {

using testing::CalculateOnce;
using testing::DefaultDesign;
using testing::FakeHost;
using testing::FakeProgress;
using testing::SameBits;
using testing::SetTestValue;
using testing::SweepText;

SweepAxis Axis(std::string key, double from, double to, int count) {
  return {std::move(key), from, to, count};
}

std::string Parsed(std::string_view text) {
  std::string error;
  const std::optional<SweepAxis> axis = ParseSweepAxis(text, error);
  return axis ? "ok" : error;
}

std::string ParsedShard(std::string_view text) {
  std::string error;
  const std::optional<SweepShard> shard = ParseSweepShard(text, error);
  return shard ? "ok" : error;
}

struct SweepOutcome {
  AnalysisStatus status = AnalysisStatus::kFailed;
  std::string error;
  std::vector<SweepRow> rows;
};

// In the window's busy state when a host is given.
SweepOutcome Sweep(const DesignRecord& base, const SweepOptions& options, Progress& progress,
                   Host* host = nullptr) {
  SweepOutcome out;
  const SweepRowSink keep = [&out](const SweepRow& row, std::string&) {
    out.rows.push_back(row);
    return true;
  };
  out.status = host != nullptr
                   ? RunSweepInWindow(base, options, KeyByKey(SetTestValue), *host, progress, keep, out.error)
                   : RunSweep(base, options, SetTestValue, progress, keep, out.error);
  return out;
}

SweepOutcome Sweep(const DesignRecord& base, const SweepOptions& options) {
  NoProgress progress;
  return Sweep(base, options, progress);
}

// --- Reading the command-line forms ---------------------------------------------------------------

TEST(ParseSweepAxis, ReadsKeyRangeAndCount) {
  std::string error;
  const std::optional<SweepAxis> axis = ParseSweepAxis("generators[1].x=-0.3:+2.5e-1:5", error);
  ASSERT_TRUE(axis.has_value()) << error;
  EXPECT_EQ(axis->key, "generators[1].x");
  EXPECT_EQ(axis->from, -0.3);
  EXPECT_EQ(axis->to, 0.25);
  EXPECT_EQ(axis->count, 5);
  EXPECT_EQ(Parsed("frequency_hz=1000:1000:1"), "ok");
  EXPECT_EQ(Parsed("frequency_hz=2000:1000:3"), "ok");  // downwards is a range too
}

TEST(ParseSweepAxis, EveryMalformedAxisGetsAMessageNamingIt) {
  const struct {
    const char* text;
    const char* says;
  } cases[] = {
      {"", "expected KEY=FROM:TO:COUNT"},
      {"frequency_hz", "expected KEY=FROM:TO:COUNT"},
      {"=1:2:3", "expected KEY=FROM:TO:COUNT"},
      {"k=1:2", "expected KEY=FROM:TO:COUNT"},
      {"k=1:2:3:4", "expected KEY=FROM:TO:COUNT"},
      {"k=0:2:3:log", "a log range must lie above 0"},
      {"k=-1:2:3:log", "a log range must lie above 0"},
      {"k=1:2:0", "the count must be at least 1"},
      {"k=1:2:-4", "the count must be at least 1"},
      {"k=1:2:2.5", "is not a whole number"},
      {"k=1:2:", "is not a whole number"},
      {"k=1:2:99999999999", "is not a whole number"},
      {"k=abc:2:3", "\"abc\" is not a number"},
      {"k=1:2x:3", "\"2x\" is not a number"},
      {"k= 1:2:3", "\" 1\" is not a number"},
      {"k=1,5:2:3", "is not a number"},
      {"k=:2:3", "\"\" is not a number"},
      {"k=+-1:2:3", "is not a number"},
      {"k=1e999:2:3", "is out of range"},
      {"k=nan:2:3", "the range must be finite"},
      {"k=1:inf:3", "the range must be finite"},
      {"k=0.5:0.5:3", "the range is empty"},
      {"k=-1e308:1e308:3", "the range is too wide"},
  };
  for (const auto& c : cases) {
    const std::string message = Parsed(c.text);
    EXPECT_NE(message.find(c.says), std::string::npos) << c.text << " -> " << message;
    EXPECT_NE(message.find(std::string("\"") + c.text + "\""), std::string::npos) << message;
  }
}

TEST(ParseSweepShard, AcceptsOnlyAShardThatExists) {
  std::string error;
  const std::optional<SweepShard> shard = ParseSweepShard("2/3", error);
  ASSERT_TRUE(shard.has_value());
  EXPECT_EQ(shard->index, 2);
  EXPECT_EQ(shard->count, 3);
  EXPECT_EQ(ParsedShard("1/1"), "ok");
  EXPECT_NE(ParsedShard("0/2").find("from 1 to 2"), std::string::npos);
  EXPECT_NE(ParsedShard("0/1").find("from 1 to 1"), std::string::npos);
  EXPECT_NE(ParsedShard("3/2").find("from 1 to 2"), std::string::npos);
  EXPECT_NE(ParsedShard("-1/2").find("from 1 to 2"), std::string::npos);
  EXPECT_NE(ParsedShard("1/0").find("at least 1"), std::string::npos);
  for (const char* bad : {"x/2", "", "1", "1/2/3", "1/2.0", " 1/2", "1/", "/2"}) {
    EXPECT_NE(ParsedShard(bad).find("expected I/N"), std::string::npos) << bad;
  }
}

// --- Values, combinations and shards --------------------------------------------------------------

TEST(SweepValues, EndsExactlyAtBothEndsAndTheLastAxisRunsFastest) {
  const SweepAxis tenths = Axis("k", 0.1, 0.7, 7);
  EXPECT_EQ(SweepAxisValue(tenths, 0), 0.1);
  EXPECT_EQ(SweepAxisValue(tenths, 6), 0.7);
  EXPECT_EQ(SweepAxisValue(Axis("k", 5.0, 9.0, 1), 0), 5.0);
  std::string log_error;
  const std::optional<SweepAxis> decades = ParseSweepAxis("k=10:100000:5:log", log_error);
  ASSERT_TRUE(decades) << log_error;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(SweepAxisValue(*decades, i), std::pow(10.0, i + 1)) << i;

  const std::vector<SweepAxis> axes = {Axis("a", 1.0, 2.0, 2), Axis("b", 10.0, 30.0, 3)};
  std::string error;
  EXPECT_EQ(SweepCombinations(axes, error), 6);
  EXPECT_EQ(SweepRowValues(axes, 0), (std::vector<double>{1.0, 10.0}));
  EXPECT_EQ(SweepRowValues(axes, 1), (std::vector<double>{1.0, 20.0}));
  EXPECT_EQ(SweepRowValues(axes, 3), (std::vector<double>{2.0, 10.0}));
  EXPECT_EQ(SweepRowValues(axes, 5), (std::vector<double>{2.0, 30.0}));
}

// The values between the ends are those of the decimal grid typed, not the binary sums near them.
TEST(SweepValues, AreTheDecimalGridTyped) {
  const struct {
    SweepAxis axis;
    std::vector<double> values;
  } cases[] = {
      {Axis("k", -0.45, -0.15, 7), {-0.45, -0.4, -0.35, -0.3, -0.25, -0.2, -0.15}},
      {Axis("k", 0.1, 0.7, 7), {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}},
      {Axis("k", -0.3, 0.3, 7), {-0.3, -0.2, -0.1, 0.0, 0.1, 0.2, 0.3}},
      {Axis("k", 0.0, 4e-5, 3), {0.0, 2e-5, 4e-5}},
      {Axis("k", 1e300, -1e300, 3), {1e300, 0.0, -1e300}},
      // Ends of more than 15 digits stay exact; between them, 15 digits of the larger end.
      {Axis("k", 1.0, 2.0000000000000004, 4), {1.0, 1.33333333333333, 1.66666666666667, 2.0000000000000004}},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < c.axis.count; ++i) {
      const double value = SweepAxisValue(c.axis, i);
      EXPECT_EQ(value, c.values[static_cast<std::size_t>(i)]) << c.axis.from << ":" << c.axis.to << " #" << i;
      EXPECT_FALSE(std::signbit(value) && value == 0.0) << c.axis.from << " #" << i;
    }
  }
}

TEST(SweepValues, TooManyCombinationsAreCaughtNotWrapped) {
  const SweepAxis big = Axis("k", 0.0, 1.0, INT_MAX);
  std::string error;
  EXPECT_EQ(SweepCombinations({big, big}, error), std::int64_t{INT_MAX} * INT_MAX);
  EXPECT_FALSE(SweepCombinations({big, big, Axis("k", 0.0, 1.0, 3)}, error).has_value());
  EXPECT_NE(error.find("too many combinations"), std::string::npos);
  EXPECT_FALSE(SweepCombinations({Axis("k", 0.0, 0.0, 2)}, error).has_value());
  EXPECT_NE(error.find("empty"), std::string::npos);
}

TEST(ShardRows, ShardsTileTheRowsInOrderWithoutOverflow) {
  for (const std::int64_t total :
       {std::int64_t{0}, std::int64_t{2}, std::int64_t{7}, std::int64_t{1000}, std::int64_t{INT64_MAX}}) {
    for (const int n : {1, 2, 3, 7}) {
      std::int64_t next = 0;
      for (int i = 1; i <= n; ++i) {
        const SweepRowRange range = ShardRows(total, {i, n});
        EXPECT_EQ(range.first, next) << total << " " << i << "/" << n;
        EXPECT_LE(range.first, range.last);
        next = range.last;
      }
      EXPECT_EQ(next, total);
    }
    // The most shards there can be: the last two still meet and end at the total.
    const SweepRowRange before_last = ShardRows(total, {INT_MAX - 1, INT_MAX});
    const SweepRowRange last = ShardRows(total, {INT_MAX, INT_MAX});
    EXPECT_EQ(before_last.last, last.first);
    EXPECT_EQ(last.last, total);
    EXPECT_EQ(ShardRows(total, {1, INT_MAX}).first, 0);
  }
  EXPECT_EQ(ShardRows(7, {2, 3}).first, 2);  // 7 * 1 / 3
  EXPECT_EQ(ShardRows(7, {2, 3}).last, 4);   // 7 * 2 / 3
  EXPECT_EQ(ShardRows(INT64_MAX, {2, 3}).first, INT64_MAX / 3);
}

// --- Running sweeps -------------------------------------------------------------------------------

TEST(RunSweep, EachRowIsASingleRunOfTheEditedDesign) {
  DesignRecord base = DefaultDesign();
  base.sensor_theta_rad = 0.2;
  base.noise_peak_v = 1e-6;
  SweepOptions options;
  options.axes = {Axis("generators[1].x", -0.3, -0.2, 3)};
  const SweepOutcome sweep = Sweep(base, options);
  ASSERT_EQ(sweep.status, AnalysisStatus::kDone) << sweep.error;
  ASSERT_EQ(sweep.rows.size(), 3u);
  for (int r = 0; r < 3; ++r) {
    DesignRecord edited = base;
    SetGeneratorPosition(edited.generators[1], -0.3 + 0.1 * r / 2, 0.25, 0.0);
    if (r == 2) SetGeneratorPosition(edited.generators[1], -0.2, 0.25, 0.0);
    const testing::SingleRun single = CalculateOnce(edited);
    const SweepRow& row = sweep.rows[r];
    EXPECT_EQ(row.index, r);
    EXPECT_EQ(row.values, std::vector<double>{edited.generators[1].x});
    EXPECT_TRUE(SameBits(row.errors.max_error_m, single.design.max_error_m)) << r;
    EXPECT_TRUE(SameBits(row.errors.rms_error_m, single.design.rms_error_m)) << r;
    EXPECT_EQ(row.errors.points, 36);
    EXPECT_FALSE(row.has_monte_carlo);
  }
  EXPECT_NE(sweep.rows[0].errors.rms_error_m, sweep.rows[2].errors.rms_error_m);
}

TEST(RunSweep, RowsWithSeveralRunsCarryTheMonteCarloOfTheEditedDesign) {
  DesignRecord base = DefaultDesign();
  SweepOptions options;
  options.axes = {Axis("noise_peak_v", 1e-6, 3e-6, 2)};
  options.monte_carlo = {6, 42};
  const SweepOutcome sweep = Sweep(base, options);
  ASSERT_EQ(sweep.status, AnalysisStatus::kDone) << sweep.error;
  ASSERT_EQ(sweep.rows.size(), 2u);
  for (int r = 0; r < 2; ++r) {
    DesignRecord edited = base;
    edited.noise_peak_v = r == 0 ? 1e-6 : 3e-6;
    MonteCarloResult expected;
    NoProgress progress;
    std::string error;
    ASSERT_EQ(RunMonteCarlo(edited, options.monte_carlo, progress, expected, error), AnalysisStatus::kDone);
    const SweepRow& row = sweep.rows[r];
    EXPECT_TRUE(row.has_monte_carlo);
    EXPECT_TRUE(SameBits(row.monte_carlo.mean_precision_m, expected.summary.mean_precision_m));
    EXPECT_TRUE(SameBits(row.monte_carlo.p95_error_m, expected.summary.p95_error_m));
    EXPECT_TRUE(SameBits(row.monte_carlo.rms_error_m, expected.summary.rms_error_m));
    EXPECT_TRUE(SameBits(row.errors.rms_error_m, expected.first_run.summary.rms_error_m));
  }
  const std::string line = SweepCsvLine(sweep.rows[1]);
  EXPECT_EQ(line.substr(0, 6), "3e-06,");
  EXPECT_EQ(std::count(line.begin(), line.end(), ','), 12);
}

TEST(RunSweep, RowsThatMakeTheBedStaleGetItRecomputed) {
  DesignRecord base = DefaultDesign();
  base.include_bed_currents = 1;
  SweepOptions options;
  options.axes = {Axis("frequency_hz", 5000.0, 20000.0, 2)};
  const SweepOutcome sweep = Sweep(base, options);
  ASSERT_EQ(sweep.status, AnalysisStatus::kDone) << sweep.error;
  ASSERT_EQ(sweep.rows.size(), 2u);
  for (int r = 0; r < 2; ++r) {
    DesignRecord edited = base;
    std::string error;
    ASSERT_TRUE(SetTestValue(edited, "frequency_hz", sweep.rows[r].values[0], error));
    const testing::SingleRun single = CalculateOnce(edited);
    EXPECT_TRUE(SameBits(sweep.rows[r].errors.rms_error_m, single.design.rms_error_m)) << r;
  }
  EXPECT_NE(sweep.rows[0].errors.rms_error_m, sweep.rows[1].errors.rms_error_m);
  EXPECT_EQ(base.bed_stale, 1);
}

// Says stop a while after the rows have begun (the base's bed model done), and keeps the longest
// time between two reports or questions from then on: the time the window's events would wait.
class CancelDuringRows : public Progress {
 public:
  using Clock = std::chrono::steady_clock;
  bool Report(double share) override {
    if (!rows_from && share >= 0.02) rows_from = Clock::now();
    return StillWanted();
  }
  bool StillWanted() override {
    const Clock::time_point now = Clock::now();
    if (rows_from) longest_gap = std::max(longest_gap, now - last);
    last = now;
    if (rows_from && now - *rows_from >= std::chrono::milliseconds(300)) {
      if (!stopped_at) stopped_at = now;
      return false;
    }
    return true;
  }
  std::optional<Clock::time_point> rows_from, stopped_at;
  Clock::time_point last;
  Clock::duration longest_gap{};
};

TEST(RunSweep, RowsOnEveryThreadHearACancelAndReportsKeepComing) {
  testing::ThreadCount threads(2);
  DesignRecord base = DefaultDesign();
  base.include_bed_currents = 1;
  base.bed_cells_x = base.bed_cells_y = 3000;  // a bed model of a second or so in every row
  SweepOptions options;
  options.axes = {Axis("bed_ohms_per_m", 0.1, 0.2, 6)};
  CancelDuringRows progress;
  std::string error;
  const AnalysisStatus status = RunSweep(
      base, options, SetDesignNumber, progress, [](const SweepRow&, std::string&) { return true; }, error);
  const auto end = CancelDuringRows::Clock::now();
  ASSERT_EQ(status, AnalysisStatus::kCancelled) << error;
  ASSERT_TRUE(progress.stopped_at);
  using Ms = std::chrono::duration<double, std::milli>;
  std::printf(
      "[ cancel   ] a sweep of bed models on two threads stopped %.0f ms after the cancel, asked at most "
      "%.0f ms apart\n",
      Ms(end - *progress.stopped_at).count(), Ms(progress.longest_gap).count());
  EXPECT_LT(end - *progress.stopped_at, std::chrono::milliseconds(500));
  EXPECT_LT(progress.longest_gap, std::chrono::milliseconds(500));
}

TEST(RunSweepCsv, ShardsJoinedWithoutTheirHeadersAreTheWholeSweep) {
  DesignRecord base = DefaultDesign();
  SweepOptions options;
  options.axes = {Axis("noise_peak_v", 0.0, 4e-6, 7), Axis("generators[1].x", -0.25, -0.24, 2)};
  options.monte_carlo.runs = 2;
  const std::string whole = SweepText(base, options);
  const std::string header =
      "noise_peak_v,generators[1].x,max_error_m,rms_error_m,failed_points,max_trueness_m,mean_trueness_m,"
      "max_precision_m,mean_precision_m,mc_rms_error_m,p95_error_m,failed_estimates,max_bound_m,rms_bound_m\n";
  ASSERT_EQ(whole.substr(0, header.size()), header);
  EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 15);
  EXPECT_NE(whole.find("\n6.6666666666667e-07,-0.24,"), std::string::npos) << whole;

  for (const int n : {3, 5, 20}) {
    std::string joined;
    for (int i = 1; i <= n; ++i) {
      options.shard = {i, n};
      const std::string part = SweepText(base, options);
      ASSERT_EQ(part.substr(0, header.size()), header) << i << "/" << n;
      joined += i == 1 ? part : part.substr(header.size());
    }
    EXPECT_EQ(joined, whole) << n;
  }
}

TEST(RunSweepCsv, OneRunGivesTheShortHeader) {
  SweepOptions options;
  options.axes = {Axis("frequency_hz", 1000.0, 2000.0, 2)};
  const std::string text = SweepText(DefaultDesign(), options);
  EXPECT_EQ(text.substr(0, text.find('\n')), "frequency_hz,max_error_m,rms_error_m,failed_points");
  EXPECT_NE(text.find("\n2000,"), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
}

TEST(RunSweep, AnInvalidValueAnywhereStopsTheSweepBeforeAnythingRuns) {
  SweepOptions options;
  options.axes = {Axis("noise_peak_v", 0.0, 1e-6, 2), Axis("frequency_hz", 1000.0, -1000.0, 3)};
  options.shard = {1, 2};  // the bad rows belong to the other shard, and still stop this one
  FakeHost host;
  FakeProgress progress;
  const SweepOutcome sweep = Sweep(DefaultDesign(), options, progress, &host);
  EXPECT_EQ(sweep.status, AnalysisStatus::kFailed);
  EXPECT_TRUE(sweep.rows.empty());
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(progress.progress_calls, 0);
  EXPECT_EQ(sweep.error, "row 2 (noise_peak_v=0, frequency_hz=0): frequency_hz must be above 0");

  std::string error;
  EXPECT_EQ(SweepText(DefaultDesign(), options, &error).substr(0, 7), "failed:");

  options.axes = {Axis("no_such_key", 0.0, 1.0, 2)};
  EXPECT_EQ(Sweep(DefaultDesign(), options).error, "row 1 (no_such_key=0): unknown key \"no_such_key\"");
}

TEST(RunSweep, BadOptionsAreRefused) {
  const DesignRecord base = DefaultDesign();
  SweepOptions options;
  EXPECT_NE(Sweep(base, options).error.find("at least one axis"), std::string::npos);
  options.axes = {Axis("frequency_hz", 1.0, 2.0, 0)};
  EXPECT_NE(Sweep(base, options).error.find("at least 1"), std::string::npos);
  options.axes = {Axis("frequency_hz", 1.0, 2.0, 2)};
  options.shard = {3, 2};
  EXPECT_NE(Sweep(base, options).error.find("does not exist"), std::string::npos);
  options.shard = {1, 1};
  options.monte_carlo.runs = 0;
  EXPECT_NE(Sweep(base, options).error.find("runs"), std::string::npos);

  options.monte_carlo.runs = 1;
  std::string error;
  NoProgress progress;
  EXPECT_EQ(RunSweep(
                base, options, SetTestValue, progress,
                [](const SweepRow&, std::string& reason) {
                  reason = "disk full";
                  return false;
                },
                error),
            AnalysisStatus::kFailed);
  EXPECT_EQ(error, "disk full");
}

TEST(RunSweep, ACancelStopsTheSweepAndLeavesTheBaseAlone) {
  DesignRecord base = DefaultDesign();
  base.include_bed_currents = 1;
  SweepOptions options;
  options.axes = {Axis("noise_peak_v", 0.0, 1e-6, 4)};
  options.monte_carlo.runs = 3;
  FakeHost host;
  FakeProgress progress;
  progress.cancel_after = 1 + 9 * 25 + 6 * 3 * 2;  // the base's bed, then two rows of three runs
  const SweepOutcome sweep = Sweep(base, options, progress, &host);
  EXPECT_EQ(sweep.status, AnalysisStatus::kCancelled);
  EXPECT_EQ(sweep.error, "cancelled");
  EXPECT_EQ(sweep.rows.size(), 2u);
  EXPECT_EQ(base.bed_stale, 1);
  EXPECT_EQ(base.bed_currents[4], Phasor(0.0, 0.0));
  EXPECT_EQ(host.Count("capture"), 1);
  EXPECT_EQ(host.Count("release"), 1);
}

// The up-front check with the design file's own setter: each axis whose key stands alone is
// tried value by value, the scan range keys together. It must refuse exactly the row, with exactly
// the message, that trying every combination gives.
SweepOutcome CheckedWithDesignSetter(const SweepOptions& options, std::atomic<long>& calls) {
  SweepOutcome out;
  NoProgress progress;
  const DesignSetter counted = [&calls](DesignRecord& design, std::string_view key, double value,
                                        std::string& error) {
    ++calls;
    return SetDesignNumber(design, key, value, error);
  };
  // A sweep that passes its check stops at its first row: only the check is compared.
  out.status = RunSweep(
      DefaultDesign(), options, counted, progress,
      [](const SweepRow&, std::string& reason) {
        reason = "checked";
        return false;
      },
      out.error);
  return out;
}

TEST(SweepCheck, AxisByAxisRefusesTheSameRowWithTheSameMessageAsEveryCombination) {
  // Keys that stand alone, with values of which some are refused, and scan range keys, whose
  // values are refused or not depending on each other.
  const std::vector<SweepAxis> pool = {
      Axis("algorithm_type", 1.0, 2.0, 2),      Axis("generators[0].turns", 1.0, 3.0, 3),
      Axis("noise_peak_v", 0.0, 1e-4, 3),       Axis("frequency_hz", 1000.0, 2000.0, 2),
      Axis("coil_display[3]", 0.0, 1.0, 2),     Axis("scan_plane", 0.0, 3.0, 4),
      Axis("scan_x_from", -0.4, 0.5, 4),        Axis("scan_x_to", 0.45, -0.5, 4),
      Axis("scan_x_step", 0.05, 0.001, 3),      Axis("scan_y_from", -0.2, -0.1, 3),
      Axis("generators[1].x", -0.3, 0.2, 2),    Axis("bed_cells_x", 10.0, 10.5, 2),
  };
  std::mt19937 random(7u);
  int refused = 0;
  for (int trial = 0; trial < 60; ++trial) {
    SweepOptions options;
    const int axes = 1 + static_cast<int>(random() % 4);
    for (int a = 0; a < axes; ++a) options.axes.push_back(pool[random() % pool.size()]);
    std::string keys;
    for (const SweepAxis& axis : options.axes) keys += axis.key + " ";
    SCOPED_TRACE(keys);

    std::atomic<long> every_calls{0}, by_axis_calls{0};
    const SweepOutcome every = CheckedWithDesignSetter(options, every_calls);
    options.key_stands_alone = DesignNumberStandsAlone;
    const SweepOutcome by_axis = CheckedWithDesignSetter(options, by_axis_calls);
    EXPECT_EQ(by_axis.status, every.status);
    EXPECT_EQ(by_axis.error, every.error);
    if (every.error != "checked") ++refused;
  }
  EXPECT_GT(refused, 15);
  EXPECT_LT(refused, 55);
}

// Each value alone is fine; together they give the sheet more cells than it takes.
TEST(SweepCheck, TheSheetCellLimitJudgesTheCellsAndTheBedModelTogether) {
  SweepOptions options;
  options.axes = {Axis("bed_model", 0.0, 1.0, 2), Axis("bed_cells_y", 25.0, 200.0, 2)};
  options.key_group = DesignNumberGroup;
  std::atomic<long> calls{0};
  const SweepOutcome out = CheckedWithDesignSetter(options, calls);
  EXPECT_EQ(out.status, AnalysisStatus::kFailed);
  EXPECT_EQ(out.error.rfind("row 4 (bed_model=1, bed_cells_y=200): bed_cells_x: gives more than 2500 cells", 0), 0u)
      << out.error;
}

TEST(SweepCheck, AMillionDesignsAreCheckedWithAFewThousandTrials) {
  SweepOptions options;
  // Every row of the first million is fine; the first of the second million has algorithm 4, which no file accepts.
  options.axes = {Axis("algorithm_type", 1.0, 4.0, 2), Axis("noise_peak_v", 0.0, 1e-4, 1000),
                  Axis("generators[0].turns", 1.0, 1000.0, 1000)};
  options.key_stands_alone = DesignNumberStandsAlone;
  std::atomic<long> calls{0};
  const SweepOutcome out = CheckedWithDesignSetter(options, calls);
  EXPECT_EQ(out.status, AnalysisStatus::kFailed);
  EXPECT_EQ(out.error.rfind("row 1000001 (algorithm_type=4, noise_peak_v=0, generators[0].turns=1): algorithm_type", 0),
            0u)
      << out.error;
  EXPECT_LE(calls.load(), 2 + 1000 + 1000 + 3);

  // A cancel is still heard while the scan keys are tried in every combination.
  options.axes = {Axis("scan_x_from", -0.4, -0.3, 1000), Axis("scan_x_to", 0.3, 0.4, 1000)};
  FakeProgress progress;
  progress.cancel_after = 3;
  std::string error;
  EXPECT_EQ(RunSweep(DefaultDesign(), options, SetDesignNumber, progress,
                     [](const SweepRow&, std::string&) { return true; }, error),
            AnalysisStatus::kCancelled);
  EXPECT_EQ(error, "cancelled");
}

}  // namespace
}  // namespace orvendi
