#include "core/dialogs/analysis_requests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "core/design/design_file.h"
#include "core/dialogs/error_map_settings.h"
#include "core/dialogs/sweep_entries.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

int IndexOf(const std::string& key) {
  const auto& list = SweepParameters();
  const auto found =
      std::find_if(list.begin(), list.end(), [&](const SweepParameter& p) { return p.key == key; });
  return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

TEST(SweepParameterList, EveryEntryIsANumericDesignKeyWithAUniqueName) {
  const std::vector<std::string>& keys = NumericDesignKeys();
  std::set<std::string> names;
  const DesignRecord design = testing::DefaultDesign();
  for (const SweepParameter& p : SweepParameters()) {
    EXPECT_NE(std::find(keys.begin(), keys.end(), p.key), keys.end()) << p.key;
    EXPECT_TRUE(names.insert(p.name).second) << p.name;
    // What the design holds is a value the sweep may set.
    DesignRecord copy = design;
    std::string error;
    EXPECT_TRUE(SetDesignNumber(copy, p.key, *GetDesignNumber(design, p.key), error)) << p.key << ": " << error;
  }
  for (const char* key : {"generators[0].side_m", "generators[2].turns", "generators[1].peak_current_a",
                          "frequency_hz", "noise_peak_v", "offset_v", "sensor_theta_rad", "sensor_phi_rad",
                          "scan_plane_z", "bed_z1", "generators[1].x", "generators[2].y"}) {
    EXPECT_GE(IndexOf(key), 0) << key;
  }
  EXPECT_EQ(SweepParameters()[IndexOf("frequency_hz")].name, "Frequency (Hz)");
}

SweepEntries Entries(const std::string& key, std::string from, std::string to, std::string count) {
  SweepEntries e;
  e.parameter = IndexOf(key);
  e.from = std::move(from);
  e.to = std::move(to);
  e.count = std::move(count);
  return e;
}

TEST(SweepEntriesReading, GoodEntriesGiveOneAxisOverTheChosenKey) {
  SweepEntries e = Entries("frequency_hz", " 1000 ", "5e3", "5");
  e.runs = "20";
  e.seed = "7";
  std::string error;
  const std::optional<SweepOptions> options = ReadSweepEntries(e, error);
  ASSERT_TRUE(options) << error;
  ASSERT_EQ(options->axes.size(), 1u);
  EXPECT_EQ(options->axes[0].key, "frequency_hz");
  EXPECT_EQ(options->axes[0].from, 1000.0);
  EXPECT_EQ(options->axes[0].to, 5000.0);
  EXPECT_EQ(options->axes[0].count, 5);
  EXPECT_EQ(options->monte_carlo.runs, 20);
  EXPECT_EQ(options->monte_carlo.seed, 7u);
  // One value needs no range.
  EXPECT_TRUE(ReadSweepEntries(Entries("offset_v", "0.1", "0.1", "1"), error)) << error;
  // Descending ranges are allowed.
  EXPECT_TRUE(ReadSweepEntries(Entries("offset_v", "1", "-1", "3"), error)) << error;
}

TEST(SweepEntriesReading, BadEntriesGiveOneMessageNamingTheEntry) {
  const struct {
    SweepEntries entries;
    std::string message;
  } cases[] = {
      {Entries("frequency_hz", "1", "2", "0"), "Count: the count must be at least 1"},
      {Entries("frequency_hz", "1", "2", "-4"), "Count: the count must be at least 1"},
      {Entries("frequency_hz", "1", "2", "abc"), "Count: \"abc\" is not a whole number"},
      {Entries("frequency_hz", "1", "2", "2.5"), "Count: \"2.5\" is not a whole number"},
      {Entries("frequency_hz", "1", "2", ""), "Count: \"\" is not a whole number"},
      {Entries("frequency_hz", "one", "2", "3"), "From: \"one\" is not a number"},
      {Entries("frequency_hz", "1,5", "2", "3"), "From: \"1,5\" is not a number"},
      {Entries("frequency_hz", "1", "", "3"), "To: \"\" is not a number"},
      {Entries("frequency_hz", "1", "2x", "3"), "To: \"2x\" is not a number"},
      {Entries("frequency_hz", "1e999", "2", "3"), "From: \"1e999\" is out of range"},
      {Entries("frequency_hz", "inf", "2", "3"), "From and To: the range must be finite"},
      {Entries("frequency_hz", "2", "2", "3"), "From and To: the range is empty"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReadSweepEntries(c.entries, error)) << c.message;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
  SweepEntries no_parameter = Entries("frequency_hz", "1", "2", "3");
  no_parameter.parameter = -1;
  std::string error;
  EXPECT_FALSE(ReadSweepEntries(no_parameter, error));
  EXPECT_EQ(error, "Parameter: choose one from the list");
  SweepEntries bad_runs = Entries("frequency_hz", "1", "2", "3");
  bad_runs.runs = "0";
  EXPECT_FALSE(ReadSweepEntries(bad_runs, error));
  EXPECT_EQ(error.rfind("Runs: ", 0), 0u) << error;
}

TEST(MonteCarloEntriesReading, RunsAndSeedAreWholeNumbersInRange) {
  std::string error;
  const auto options = ReadMonteCarloEntries({"250", " 18446744073709551615"}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->runs, 250);
  EXPECT_EQ(options->seed, 18446744073709551615u);
  const struct {
    MonteCarloEntries entries;
    std::string message;
  } cases[] = {
      {{"0", "1"}, "Runs: the number of runs must be at least 1"},
      {{"100001", "1"}, "Runs: the number of runs must be at most 100000"},
      {{"ten", "1"}, "Runs: \"ten\" is not a whole number"},
      {{"10", "-1"}, "Seed: \"-1\" is not a whole number"},
      {{"10", "18446744073709551616"}, "Seed: \"18446744073709551616\""},
      {{"10", "1.5"}, "Seed: \"1.5\""},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ReadMonteCarloEntries(c.entries, error));
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
  }
}

TEST(MonteCarloSummaryShown, FiguresInMillimetresOneLineEach) {
  MonteCarloSummary s;
  s.runs = 100;
  s.points = 36;
  s.max_trueness_m = 1.25e-4;
  s.mean_trueness_m = 5e-5;
  s.max_precision_m = 2e-3;
  s.mean_precision_m = kNan;
  s.rms_error_m = kInf;
  s.p95_error_m = 0.0;
  s.max_error_m = 3e-3;
  s.failed_estimates = 12;
  s.max_bound_m = 1.5e-4;
  s.rms_bound_m = 1e-4;
  s.mean_efficiency = kNan;
  EXPECT_EQ(MonteCarloSummaryText(s, testing::DefaultDesign()),
            "Runs: 100\n"
            "Points: 36\n"
            "Trueness, largest: 0.125 mm\n"
            "Trueness, mean: 0.05 mm\n"
            "Precision, largest: 2 mm\n"
            "Precision, mean: none\n"
            "RMS error: inf mm\n"
            "95th percentile of the error: 0 mm\n"
            "Largest error: 3 mm\n"
            "Failed estimates: 12\n"
            "Precision bound, largest: 0.15 mm\n"
            "Precision bound, RMS: 0.1 mm\n"
            "Precision over bound, mean: none\n");
  // The copied report says which design and seed gave it.
  const std::string report = MonteCarloReportText("/data/plan.orvendi", {100, 42}, s, testing::DefaultDesign());
  EXPECT_EQ(report.rfind("Design: /data/plan.orvendi\nSeed: 42\nRuns: 100\n", 0), 0u) << report;
  EXPECT_EQ(MonteCarloReportText("", {1, 1}, s, testing::DefaultDesign()).rfind("Design: Untitled (not saved)\n", 0), 0u);
  DesignRecord with_target = testing::DefaultDesign();
  with_target.target_rms_error_m = 1e-3;
  EXPECT_TRUE(MonteCarloSummaryText(s, with_target).ends_with("none\nTargets: Misses the targets (RMS 1 mm)\n"));

  const BoundSummary blind{.points = 36, .singular_points = 2, .max_bound_m = kInf, .rms_bound_m = kInf,
                           .mean_bound_m = kInf};
  EXPECT_EQ(BoundSummaryText(blind),
            "Points: 36\nBlind spots: 2\nPrecision bound, largest: infinite\n"
            "Precision bound, RMS: infinite\nPrecision bound, mean: infinite\n");
}

PointResults RunOf(const std::vector<double>& errors) {
  PointResults run;
  for (std::size_t k = 0; k < errors.size(); ++k) {
    PointResult row;
    row.true_x = static_cast<double>(k);
    row.error_m = errors[k];
    run.rows.push_back(row);
  }
  return run;
}

TEST(ErrorPlotsData, DistanceFromTheMiddleOfTheThreeGenerators) {
  DesignRecord design = testing::DefaultDesign();
  SetGeneratorPosition(design.generators[0], 3.0, 0.0, 0.0);
  SetGeneratorPosition(design.generators[1], 0.0, 3.0, 0.0);
  SetGeneratorPosition(design.generators[2], 0.0, 0.0, 3.0);
  const PlanePoint c = GeneratorCentre(design);
  EXPECT_EQ(c.x, 1.0);
  EXPECT_EQ(c.y, 1.0);
  EXPECT_EQ(c.z, 1.0);
  const std::vector<DistanceError> points = ErrorAgainstDistance(design, RunOf({0.5, kNan, 0.25, kInf}));
  ASSERT_EQ(points.size(), 2u);  // the points without a finite error are left out
  EXPECT_DOUBLE_EQ(points[0].distance_m, std::sqrt(3.0));  // (0, 0, 0)
  EXPECT_EQ(points[0].figure, 0.5);
  EXPECT_DOUBLE_EQ(points[1].distance_m, std::sqrt(3.0));  // (2, 0, 0)
  EXPECT_EQ(points[1].figure, 0.25);
}

TEST(ErrorPlotsData, HistogramBinsFromTheSmallestToTheLargestError) {
  const ErrorHistogram h = MakeErrorHistogram(RunOf({1.0, 2.0, 2.5, 5.0, kNan, 3.0}), 4);
  EXPECT_EQ(h.low_m, 1.0);
  EXPECT_EQ(h.bin_width_m, 1.0);
  EXPECT_EQ(h.counts, (std::vector<int>{1, 2, 1, 1}));  // 5 is the largest: in the last bin
  EXPECT_EQ(h.missing, 1);

  const ErrorHistogram same = MakeErrorHistogram(RunOf({0.5, 0.5, 0.5}), 3);
  EXPECT_EQ(same.bin_width_m, 0.0);
  EXPECT_EQ(same.counts, (std::vector<int>{3, 0, 0}));
  const ErrorHistogram none = MakeErrorHistogram(RunOf({kNan}), 1);
  EXPECT_EQ(none.counts, std::vector<int>{0});
  EXPECT_EQ(none.missing, 1);

  // Bars in mm side by side; figures all the same get one bar of its own width, none below 0.
  const std::vector<HistogramBar> bars = HistogramBars(h, 1000.0);
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_TRUE(bars[0].left == 1000.0 && bars[1].left == bars[0].right && bars[3].right == 5000.0);
  const HistogramBar one = HistogramBars(same, 1000.0).at(0);
  EXPECT_TRUE(one.left < 500.0 && one.right > 500.0 && one.count == 3);
  const HistogramBar zero = HistogramBars(MakeErrorHistogram(RunOf({0.0, 0.0}), 2), 1000.0).at(0);
  EXPECT_TRUE(zero.left == 0.0 && zero.right > 0.0);

  EXPECT_EQ(HistogramBins(0), 1);
  EXPECT_EQ(HistogramBins(36), 6);
  EXPECT_EQ(HistogramBins(37), 7);
  EXPECT_EQ(HistogramBins(10201), 50);
}

SweepRow Row(double x, double max_error, double rms_error) {
  SweepRow row;
  row.values = {x};
  row.errors.max_error_m = max_error;
  row.errors.rms_error_m = rms_error;
  return row;
}

TEST(SweepPlotData, MaxAndRmsInMillimetresWithMonteCarloFiguresWhenRun) {
  std::vector<SweepRow> rows = {Row(1.0, 2e-3, 1e-3), Row(2.0, kInf, kInf), Row(3.0, 4e-3, 3e-3)};
  rows[1].errors.failed_points = 2;
  EXPECT_EQ(SweepRowsWithFailures(rows), 1);
  std::vector<SweepSeries> series = SweepPlotSeries(rows);
  ASSERT_EQ(series.size(), 2u);
  EXPECT_EQ(series[0].name, "Max error");
  EXPECT_EQ(series[0].points, (std::vector<std::pair<double, double>>{{1.0, 2.0}, {3.0, 4.0}}));
  EXPECT_EQ(series[1].name, "RMS error");
  EXPECT_EQ(series[1].points, (std::vector<std::pair<double, double>>{{1.0, 1.0}, {3.0, 3.0}}));

  for (SweepRow& row : rows) {
    row.has_monte_carlo = true;
    row.monte_carlo.max_trueness_m = 5e-4;
    row.monte_carlo.max_precision_m = 0.0009765625;
  }
  series = SweepPlotSeries(rows);
  ASSERT_EQ(series.size(), 4u);
  EXPECT_EQ(series[2].name, "Max trueness");
  EXPECT_EQ(series[2].points.size(), 3u);
  EXPECT_EQ(series[3].points[1], (std::pair<double, double>{2.0, 0.9765625}));
}

TEST(SweepCsvText, IsWhatTheCommandLineSweepWrites) {
  const DesignRecord base = testing::DefaultDesign();
  std::string error;
  SweepEntries entries = Entries("noise_peak_v", "0", "1e-4", "3");
  entries.runs = "2";
  const std::optional<SweepOptions> options = ReadSweepEntries(entries, error);
  ASSERT_TRUE(options) << error;
  std::vector<SweepRow> rows;
  NoProgress progress;
  ASSERT_EQ(RunSweep(
                base, *options, SetDesignNumber, progress,
                [&rows](const SweepRow& row, std::string&) {
                  rows.push_back(row);
                  return true;
                },
                error),
            AnalysisStatus::kDone)
      << error;
  std::string written;
  ASSERT_EQ(RunSweepCsv(
                base, *options, SetDesignNumber, progress,
                [&written](std::string_view text, std::string&) {
                  written += text;
                  return true;
                },
                error),
            AnalysisStatus::kDone);
  EXPECT_EQ(SweepCsv(*options, rows), written);
  EXPECT_EQ(written.rfind("noise_peak_v,max_error_m,rms_error_m,", 0), 0u) << written;
}

TEST(ErrorMapSettingsEntry, MagnificationIsAFiniteFactorFromOneToAMillion) {
  std::string error;
  EXPECT_EQ(ReadMagnification("100", error), 100.0);
  EXPECT_EQ(ReadMagnification(" 2.5 ", error), 2.5);
  EXPECT_EQ(ReadMagnification("1e6", error), 1e6);
  const struct {
    const char* text;
    const char* message;
  } bad[] = {
      {"", "Magnification: \"\" is not a number"},
      {"ten", "Magnification: \"ten\" is not a number"},
      {"0.5", "Magnification: 0.5 is outside 1 to 1e+06"},
      {"-10", "Magnification: -10 is outside 1 to 1e+06"},
      {"2e6", "Magnification: 2e+06 is outside 1 to 1e+06"},
      {"inf", "Magnification: inf is outside 1 to 1e+06"},
      {"nan", "Magnification: nan is outside 1 to 1e+06"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(ReadMagnification(b.text, error)) << b.text;
    EXPECT_EQ(error, b.message);
  }
  EXPECT_EQ(ShowMagnification(1000.0), "1000");
  EXPECT_TRUE(ErrorQuantityAvailable(kErrorMapError, false));
  EXPECT_FALSE(ErrorQuantityAvailable(kErrorMapTrueness, false));
  EXPECT_FALSE(ErrorQuantityAvailable(kErrorMapPrecision, false));
  EXPECT_TRUE(ErrorQuantityAvailable(kErrorMapPrecision, true));
  EXPECT_FALSE(ErrorQuantityAvailable(kErrorMapBound, false));
  EXPECT_TRUE(ErrorQuantityAvailable(kErrorMapBound, true));
  EXPECT_TRUE(ErrorQuantityAvailable(kErrorMapDistortion, false));
  EXPECT_FALSE(ErrorQuantityAvailable(5, true));
  // A bound run offers the bound alone.
  EXPECT_TRUE(ErrorQuantityAvailable(kErrorMapBound, false, true));
  EXPECT_FALSE(ErrorQuantityAvailable(kErrorMapPrecision, false, true));
}

}  // namespace
}  // namespace orvendi
