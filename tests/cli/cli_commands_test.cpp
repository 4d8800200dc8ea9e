#include "cli/cli_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/sweep.h"
#include "cli/cli_options.h"
#include "cli/cli_report.h"
#include "cli/progress_bar.h"
#include "core/analysis_test_support.h"
#include "core/design/design_file.h"
#include "core/dialogs/result_dialogs.h"
#include "core/field/bed_model.h"
#include "support/temp_folder.h"

namespace orvendi {
namespace {

using testing::CalculateOnce;
using testing::DefaultDesign;
using testing::SameBits;
using Json = nlohmann::json;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// The window's figures after "Calculate" and "Positional Error...", with the point count.
ErrorSummary WindowSummary(const DesignRecord& design) {
  const testing::SingleRun run = CalculateOnce(design);
  const PointResults points = CollectPointResults(run.design, run.results);
  return {run.design.max_error_m, run.design.rms_error_m, points.summary.points,
          points.summary.failed_points};
}

TEST(CliCalculation, GivesTheFiguresOfCalculateAndPositionalErrorToTheBit) {
  DesignRecord second_algorithm = DefaultDesign();
  second_algorithm.algorithm_type = 2;
  DesignRecord noisy_with_bed = DefaultDesign();
  noisy_with_bed.noise_peak_v = 2e-5;
  noisy_with_bed.include_bed_currents = 1;
  noisy_with_bed.bed_stale = 1;
  for (const DesignRecord& design : {DefaultDesign(), second_algorithm, noisy_with_bed}) {
    const testing::SingleRun window = CalculateOnce(design);
    PointResults points;
    NoProgress progress;
    ASSERT_TRUE(CalculateDesign(design, progress, points));
    EXPECT_TRUE(SameBits(points.summary.max_error_m, window.design.max_error_m)) << design.algorithm_type;
    EXPECT_TRUE(SameBits(points.summary.rms_error_m, window.design.rms_error_m)) << design.algorithm_type;
    EXPECT_EQ(points.summary.points, 36);
    EXPECT_EQ(PointResultsCsv(points.rows),
              PointResultsCsv(CollectPointResults(window.design, window.results).rows));
  }
  EXPECT_NE(WindowSummary(noisy_with_bed).rms_error_m, WindowSummary(DefaultDesign()).rms_error_m);
}

TEST(CliCalculation, ACancelledRunGivesNoFigures) {
  volatile std::sig_atomic_t stop = 1;
  CliProgress progress(&stop, nullptr);
  PointResults points;
  EXPECT_FALSE(CalculateDesign(DefaultDesign(), progress, points));
  EXPECT_TRUE(points.rows.empty());
}

TEST(CliReport, NonFiniteFiguresAreStringsInJson) {
  const Json calculation = Json::parse(CalculationJson({kInf, kInf, 4, 1}, DefaultDesign()));
  EXPECT_EQ(calculation.dump(), R"({"failed_points":1,"max_error_m":"inf","points":4,"rms_error_m":"inf"})");
  MonteCarloSummary summary;
  summary.max_trueness_m = kNan;
  summary.p95_error_m = -kInf;
  summary.rms_error_m = 0.1;
  const Json monte_carlo = Json::parse(MonteCarloJson(summary, 18446744073709551615u, DefaultDesign()));
  EXPECT_EQ(monte_carlo["max_trueness_m"], "nan");
  EXPECT_EQ(monte_carlo["p95_error_m"], "-inf");
  EXPECT_EQ(monte_carlo["rms_error_m"].get<double>(), 0.1);
  EXPECT_EQ(monte_carlo["seed"].get<std::uint64_t>(), 18446744073709551615u);
  EXPECT_EQ(CalculationText({kInf, kNan, 4, 4}, DefaultDesign()),
            "max_error_m: inf\nrms_error_m: nan\npoints: 4\nfailed_points: 4\n");
}

// A target of 0 is none; a figure meets a target it does not exceed, and NaN meets none.
TEST(CliReport, SaysWhetherTheTargetsAreMetOnlyWhenOneIsSet) {
  struct Case {
    double target_max, target_rms, max, rms;
    const char* verdict;  // empty: no line
  };
  const Case cases[] = {{0, 0, 1, 1, ""},          {2e-3, 0, 2e-3, 9, "true"}, {2e-3, 0, 2.1e-3, 0, "false"},
                        {0, 1e-3, 9, 1e-3, "true"}, {0, 1e-3, 0, kNan, "false"}, {2e-3, 1e-3, 1e-3, 2e-3, "false"},
                        {2e-3, 1e-3, kInf, 0, "false"}};
  for (const Case& c : cases) {
    DesignRecord design = DefaultDesign();
    design.target_max_error_m = c.target_max;
    design.target_rms_error_m = c.target_rms;
    const std::string line = *c.verdict != 0 ? std::string("meets_targets: ") + c.verdict + "\n" : "";
    const std::string text = CalculationText({c.max, c.rms, 4, 0}, design);
    EXPECT_EQ(text.substr(text.find("failed_points: 0\n") + 17), line) << c.max << " " << c.rms;
    MonteCarloSummary summary;
    summary.max_error_m = c.max;
    summary.rms_error_m = c.rms;
    const std::string mc = MonteCarloText(summary, design);
    EXPECT_EQ(mc.substr(mc.find("mean_efficiency: ")).find("meets_targets") != std::string::npos, *c.verdict != 0);
    const Json json = Json::parse(CalculationJson({c.max, c.rms, 4, 0}, design));
    EXPECT_EQ(json.contains("meets_targets"), *c.verdict != 0);
    if (*c.verdict != 0) {
      EXPECT_EQ(json["meets_targets"].get<bool>(), std::string(c.verdict) == "true");
    }
  }
}

class CliCommands : public ::testing::Test {
 protected:
  CliCommands() { WriteDesign(DefaultDesign()); }

  void WriteDesign(const DesignRecord& design) {
    std::string error;
    EXPECT_TRUE(WriteDesignFile(design_, design, StoredView{}, error)) << error;
  }
  void WriteText(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
  }
  std::string Content(const std::string& name) const { return testing::TempFolder::Content(Path(name)); }
  std::string Path(const std::string& name) const { return folder_.Path(name); }
  std::vector<std::string> Entries() const { return folder_.Entries(); }
  void Reset() {
    out_.clear();
    err_.clear();
  }
  // One line on standard error that holds `part`, nothing on standard output.
  ::testing::AssertionResult OneComplaint(const std::string& part) const {
    const bool one_line = err_.rfind("orvendi-cli: ", 0) == 0 &&
                          std::count(err_.begin(), err_.end(), '\n') == 1 && err_.back() == '\n';
    if (one_line && err_.find(part) != std::string::npos && out_.empty())
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "stderr \"" << err_ << "\", stdout \"" << out_ << "\"";
  }

  testing::TempFolder folder_{"cli_commands"};
  std::string design_ = folder_.Path("design.json");
  std::string out_;
  std::string err_;
  bool out_works_ = true;
  Console console_{[this](std::string_view text) {
                     out_ += text;
                     return out_works_;
                   },
                   [this](std::string_view text) { err_ += text; }};
  CliProgress progress_{nullptr, nullptr};
};

TEST_F(CliCommands, CalculatePrintsAndWritesWhatTheWindowShowsAndExports) {
  const testing::SingleRun window = CalculateOnce(DefaultDesign());
  CalculateArgs args{design_, Path("points.csv"), Path("summary.json"), "2"};
  ASSERT_EQ(CliCalculate(args, progress_, console_), kExitOk) << err_;
  EXPECT_EQ(out_, CalculationText(WindowSummary(DefaultDesign()), DefaultDesign()));
  EXPECT_EQ(err_, "");
  EXPECT_EQ(Content("points.csv"), PointResultsCsv(CollectPointResults(window.design, window.results).rows));
  const Json summary = Json::parse(Content("summary.json"));
  EXPECT_TRUE(SameBits(summary["max_error_m"].get<double>(), window.design.max_error_m));
  EXPECT_TRUE(SameBits(summary["rms_error_m"].get<double>(), window.design.rms_error_m));
  EXPECT_EQ(summary["points"], 36);
  EXPECT_EQ(summary["failed_points"], 0);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"design.json", "points.csv", "summary.json"}));
}

TEST_F(CliCommands, BoundPrintsAndWritesTheGridsBounds) {
  struct Case {
    const char* name;
    double sensitivity;
    const char* max_bound;  // as the JSON holds it; empty: a finite number
  };
  for (const Case& c : {Case{"bed included", 10000.0, ""}, Case{"no sensitivity", 0.0, "inf"}}) {
    SCOPED_TRACE(c.name);
    Reset();
    DesignRecord design = DefaultDesign();
    design.noise_peak_v = 1e-4;
    design.include_bed_currents = 1;
    design.sensor_sensitivity_v_per_t = c.sensitivity;
    WriteDesign(design);
    ASSERT_EQ(CliBound({design_, Path("points.csv"), Path("summary.json"), "2"}, progress_, console_), kExitOk) << err_;
    NoProgress host;
    ASSERT_TRUE(RefreshBedModel(design, host));
    std::vector<BoundPoint> points;
    ASSERT_TRUE(BoundGrid(design, points, {}));
    EXPECT_EQ(out_, BoundText(SummariseBounds(points)));
    EXPECT_EQ(Content("points.csv"), BoundPointsCsv(points));
    EXPECT_EQ(Content("points.csv").rfind("first_index,second_index,true_x_m,true_y_m,true_z_m,bound_m\n", 0), 0u);
    const Json summary = Json::parse(Content("summary.json"));
    EXPECT_EQ(summary["points"], 36);
    EXPECT_EQ(summary["singular_points"], *c.max_bound == 0 ? 0 : 36);
    if (*c.max_bound == 0) {
      EXPECT_TRUE(SameBits(summary["max_bound_m"].get<double>(), SummariseBounds(points).max_bound_m));
    } else {
      EXPECT_EQ(summary["max_bound_m"], c.max_bound);
      EXPECT_EQ(summary["mean_bound_m"], c.max_bound);
    }
  }
}

TEST_F(CliCommands, CalculateRefusesBadArgumentsAndLeavesNoFile) {
  WriteText("malformed.json", "{\"format\": \"orvendi-design\", \"version\": 1,");
  WriteText("other.json", "{\"format\": \"other-design\", \"version\": 1}");
  std::filesystem::create_directory(Path("folder"));
  const std::vector<std::string> before = Entries();
  const struct {
    CalculateArgs args;
    std::string complaint;
  } cases[] = {
      {{Path("none.json"), Path("p.csv"), "", "1"}, Path("none.json") + ": cannot be opened"},
      {{Path("malformed.json"), Path("p.csv"), "", "1"}, Path("malformed.json") + ": line 1"},
      {{Path("other.json"), "", Path("s.json"), "1"},
       Path("other.json") + ": format: must be \"orvendi-design\""},
      {{design_, Path("none/p.csv"), "", "1"}, "cannot write " + Path("none/p.csv")},
      {{design_, "", Path("folder"), "1"}, "cannot write " + Path("folder") + ": it is a directory"},
      {{design_, Path("same"), Path("same"), "1"}, "--points and --summary name the same file"},
      {{design_, design_, "", "1"}, "FILE and --points name the same file"},
      {{design_, Path("p.csv"), "", "0"}, "--threads must be from 1"},
  };
  for (const auto& c : cases) {
    Reset();
    EXPECT_EQ(CliCalculate(c.args, progress_, console_), kExitUsage) << c.complaint;
    EXPECT_TRUE(OneComplaint(c.complaint));
    EXPECT_EQ(Entries(), before);
  }
}

TEST_F(CliCommands, AnExistingOutputIsKeptWhenACommandFailsOrIsInterrupted) {
  WriteText("points.csv", "old");
  WriteText("malformed.json", "[");
  CalculateArgs bad{Path("malformed.json"), Path("points.csv"), "", "1"};
  EXPECT_EQ(CliCalculate(bad, progress_, console_), kExitUsage);

  Reset();
  volatile std::sig_atomic_t stop = 1;
  CliProgress stopped(&stop, nullptr);
  CalculateArgs args{design_, Path("points.csv"), Path("summary.json"), "1"};
  EXPECT_EQ(CliCalculate(args, stopped, console_), kExitInterrupted);
  EXPECT_TRUE(OneComplaint("interrupted"));
  EXPECT_EQ(Content("points.csv"), "old");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"design.json", "malformed.json", "points.csv"}));
}

TEST_F(CliCommands, AFailingStandardOutputIsAFailedCommand) {
  out_works_ = false;
  EXPECT_EQ(CliCalculate({design_, "", "", "1"}, progress_, console_), kExitFailed);
  EXPECT_NE(err_.find("cannot write to standard output"), std::string::npos);
  Reset();
  EXPECT_EQ(CliNew("", console_), kExitFailed);
}

TEST_F(CliCommands, NewWritesTheDefaultDesignToAFileOrToStandardOutput) {
  ASSERT_EQ(CliNew("", console_), kExitOk);
  EXPECT_EQ(out_, WriteDesignJson(DefaultDesign(), StoredView{}));
  ASSERT_EQ(CliNew(Path("new.json"), console_), kExitOk);
  EXPECT_EQ(Content("new.json"), out_);
  Reset();
  EXPECT_EQ(CliNew(Path("none/new.json"), console_), kExitUsage);
  EXPECT_TRUE(OneComplaint("cannot write " + Path("none/new.json")));
}

TEST_F(CliCommands, ValidateReportsEveryProblem) {
  ASSERT_EQ(CliValidate(design_, console_), kExitOk);
  EXPECT_EQ(out_, design_ + ": no problems\n");
  Reset();
  WriteText("two.json",
            R"({"format": "orvendi-design", "version": 1, "frequency_hz": "x", "bed_cells_x": 1.5})");
  EXPECT_EQ(CliValidate(Path("two.json"), console_), kExitUsage);
  EXPECT_EQ(out_, "");
  EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 2);
  EXPECT_NE(err_.find(Path("two.json") + ": frequency_hz: must be a number"), std::string::npos) << err_;
  EXPECT_NE(err_.find(Path("two.json") + ": bed_cells_x: must be a whole number"), std::string::npos) << err_;
}

TEST_F(CliCommands, BedShowsThePhasorsAsTheDialogsDo) {
  DesignRecord design = DefaultDesign();
  NoProgress progress;
  ASSERT_TRUE(RefreshBedModel(design, progress));
  ASSERT_EQ(CliBed({design_, false, "1"}, progress_, console_), kExitOk);
  EXPECT_EQ(out_, BedText(design));
  EXPECT_NE(out_.find("  generator 0:  X " + FormatComplex(design.bed_voltages[0]) + "  Y " +
                      FormatComplex(design.bed_voltages[1])),
            std::string::npos)
      << out_;

  Reset();
  ASSERT_EQ(CliBed({design_, true, "1"}, progress_, console_), kExitOk);
  const Json bed = Json::parse(out_);
  ASSERT_EQ(bed["currents_a"].size(), 9u);
  for (int k = 0; k < kCoilCount; ++k) {
    const Json& current = bed["currents_a"][k];
    EXPECT_EQ(current["generator"], k / 3);
    EXPECT_TRUE(SameBits(current["re"].get<double>(), design.bed_currents[k].real())) << k;
    EXPECT_TRUE(SameBits(current["im"].get<double>(), design.bed_currents[k].imag())) << k;
    EXPECT_EQ(current["text"], FormatComplex(design.bed_currents[k]));
    EXPECT_EQ(bed["voltages_v"][k]["text"], FormatComplex(design.bed_voltages[k]));
  }
  EXPECT_EQ(bed["voltages_v"][4]["axis"], "Y");
}

TEST_F(CliCommands, MonteCarloGivesTheFiguresOfTheAnalysis) {
  DesignRecord design = DefaultDesign();
  design.noise_peak_v = 2e-5;
  WriteDesign(design);
  MonteCarloResult expected;
  std::string error;
  NoProgress progress;
  ASSERT_EQ(RunMonteCarlo(design, {3, 11}, progress, expected, error), AnalysisStatus::kDone);

  MonteCarloArgs args{design_, "3", "11", Path("points.csv"), Path("summary.json"), "1"};
  ASSERT_EQ(CliMonteCarlo(args, progress_, console_), kExitOk) << err_;
  EXPECT_EQ(out_, MonteCarloText(expected.summary, design));
  EXPECT_EQ(Content("points.csv"), MonteCarloPointsCsv(expected.points));
  EXPECT_EQ(Content("summary.json"), MonteCarloJson(expected.summary, 11, design));
  const Json summary = Json::parse(Content("summary.json"));
  for (const char* key : {"runs", "max_trueness_m", "mean_trueness_m", "max_precision_m", "mean_precision_m",
                          "rms_error_m", "p95_error_m", "failed_estimates", "max_bound_m", "rms_bound_m", "mean_efficiency",
                          "max_error_m"}) {
    EXPECT_TRUE(summary.contains(key)) << key;
  }
  EXPECT_GT(summary["mean_precision_m"].get<double>(), 0.0);
  // The largest error is over every point of every run, not of run 1 alone.
  double largest = 0.0;
  ResultBuffer buffer;
  for (int run = 1; run <= 3; ++run) {
    ASSERT_TRUE(CalculateMonteCarloRun(design, run, 11, buffer));
    largest = std::max(largest, CollectPointResults(design, buffer).summary.max_error_m);
  }
  EXPECT_GT(largest, expected.first_run.summary.max_error_m);
  EXPECT_EQ(summary["max_error_m"].get<double>(), largest);
  EXPECT_NE(out_.find("max_error_m: "), std::string::npos);
}

SweepArgs Sweep(const std::string& file, std::vector<std::string> vary, const std::string& out) {
  SweepArgs args;
  args.file = file;
  args.vary = std::move(vary);
  args.out_csv = out;
  return args;
}

TEST_F(CliCommands, SweepStreamsTheRowsOfTheAnalysis) {
  SweepOptions options;
  std::string error;
  options.axes = {*ParseSweepAxis("noise_peak_v=0:4e-5:3", error),
                  *ParseSweepAxis("algorithm_type=1:2:2", error)};
  std::string expected;
  NoProgress progress;
  const auto append = [&](std::string_view text, std::string&) {
    expected += text;
    return true;
  };
  ASSERT_EQ(RunSweepCsv(DefaultDesign(), options, SetDesignNumber, progress, append, error),
            AnalysisStatus::kDone);

  const std::vector<std::string> vary = {"noise_peak_v=0:4e-5:3", "algorithm_type=1:2:2"};
  ASSERT_EQ(CliSweep(Sweep(design_, vary, Path("whole.csv")), progress_, console_), kExitOk) << err_;
  EXPECT_EQ(Content("whole.csv"), expected);
  EXPECT_EQ(out_, "wrote 6 of 6 rows (shard 1/1) to " + Path("whole.csv") + "\n");
}

TEST_F(CliCommands, SweepRefusesBadArgumentsAndLeavesNoFile) {
  WriteText("out.csv", "old");
  std::filesystem::create_directory(Path("folder"));
  const std::vector<std::string> before = Entries();
  const auto with = [&](std::vector<std::string> vary, auto&& change) {
    SweepArgs args = Sweep(design_, std::move(vary), Path("out.csv"));
    change(args);
    return args;
  };
  const auto same = [](SweepArgs&) {};
  const std::vector<std::string> noise = {"noise_peak_v=0:1e-5:2"};
  const struct {
    SweepArgs args;
    std::string complaint;
  } cases[] = {
      {with({"no_such_key=0:1:2"}, same), "\"no_such_key\" is not a numeric key of a design file"},
      {with({"noise_peak_v=0:1:2", "noise_peak_v=1:2:2"}, same), "\"noise_peak_v\" is varied twice"},
      {with({"noise_peak_v=0:1:0"}, same), "the count must be at least 1"},
      {with({"noise_peak_v=a:b:2"}, same), "\"a\" is not a number"},
      {with({"noise_peak_v=0:1:2.5"}, same), "is not a whole number"},
      {with({"noise_peak_v"}, same), "expected KEY=FROM:TO:COUNT"},
      {with({}, same), "at least one --vary"},
      {with(noise, [](SweepArgs& a) { a.shard = "3/2"; }), "shard \"3/2\": the shard must be from 1 to 2"},
      {with(noise, [](SweepArgs& a) { a.runs = "0"; }), "--runs must be from 1"},
      {with(noise, [](SweepArgs& a) { a.threads = "-2"; }), "--threads must be from 1"},
      {with(noise, [&](SweepArgs& a) { a.out_csv = Path("none/out.csv"); }),
       "cannot write " + Path("none/out.csv")},
      {with(noise, [&](SweepArgs& a) { a.out_csv = Path("folder"); }), "it is a directory"},
      {with(noise, [&](SweepArgs& a) { a.out_csv = design_; }), "FILE and --out name the same file"},
      {with(noise, [&](SweepArgs& a) { a.file = Path("none.json"); }),
       Path("none.json") + ": cannot be opened"},
      {with({"noise_peak_v=0:1:1001", "offset_v=0:1:1000"}, same),
       "the sweep has 1001000 designs, more than 1000000; add --yes to run it"},
      // Row 2 holds a step the scan check refuses; the design file is named with it.
      {with({"scan_x_step=0.1:0:2"}, same), design_ + ": row 2 (scan_x_step=0): scan_x_step: is 0"},
  };
  for (const auto& c : cases) {
    Reset();
    EXPECT_EQ(CliSweep(c.args, progress_, console_), kExitUsage) << c.complaint;
    EXPECT_TRUE(OneComplaint(c.complaint));
    EXPECT_EQ(Entries(), before);
    EXPECT_EQ(Content("out.csv"), "old");
  }
}

TEST_F(CliCommands, SweepChecksTheScanValuesOfAnAxisTogetherAndAxisByAxis) {
  // Every combination is a valid x range, whichever end is set first.
  const std::vector<std::vector<std::string>> orders = {{"scan_x_from=0.3:0.4:2", "scan_x_to=0.5:0.6:2"},
                                                        {"scan_x_to=0.5:0.6:2", "scan_x_from=0.3:0.4:2"}};
  for (const std::vector<std::string>& vary : orders) {
    Reset();
    EXPECT_EQ(CliSweep(Sweep(design_, vary, Path("x.csv")), progress_, console_), kExitOk) << err_;
  }
  // Two million designs; the scan values of two axes are tried per axis, so that a one-row shard
  // starts at once.
  Reset();
  SweepArgs args =
      Sweep(design_, {"scan_x_from=-0.3:-0.25:1000", "scan_y_from=-0.3:-0.25:1000", "offset_v=0:1e-3:2"},
            Path("one.csv"));
  args.shard = "1/2000000";
  args.yes = true;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CliSweep(args, progress_, console_), kExitOk) << err_;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(CliCommands, AnInterruptedSweepLeavesNoPartialFile) {
  volatile std::sig_atomic_t stop = 1;
  CliProgress stopped(&stop, nullptr);
  EXPECT_EQ(CliSweep(Sweep(design_, {"noise_peak_v=0:1e-5:4"}, Path("out.csv")), stopped, console_),
            kExitInterrupted);
  EXPECT_TRUE(OneComplaint("interrupted"));
  EXPECT_EQ(Entries(), std::vector<std::string>{"design.json"});
}

}  // namespace
}  // namespace orvendi
