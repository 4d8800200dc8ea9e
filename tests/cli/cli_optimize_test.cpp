#include "cli/cli_optimize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/progress_bar.h"
#include "core/analysis/csv_text.h"
#include "core/analysis/monte_carlo.h"
#include "core/analysis_test_support.h"
#include "core/design/design_file.h"
#include "core/design/number_text.h"
#include "core/platform/compute_threads.h"
#include "core/position/precision_bound.h"
#include "support/temp_folder.h"

namespace orvendi {
namespace {

using testing::SameBits;

class CliOptimizeTest : public ::testing::Test {
 protected:
  CliOptimizeTest() {
    DesignRecord design = testing::DefaultDesign();
    design.dipole_type = 0;
    design.noise_peak_v = 1e-5;
    std::string error;
    EXPECT_TRUE(WriteDesignFile(Path("design.json"), design, StoredView{}, error)) << error;
  }
  std::string Path(const std::string& name) const { return folder_.Path(name); }
  std::string Content(const std::string& name) const { return testing::TempFolder::Content(Path(name)); }

  OptimizeArgs Args(const std::string& objective, const std::string& out) const {
    OptimizeArgs args;
    args.file = Path("design.json");
    args.vary = {"generators[1].x=-0.5:0", "generators[1].y=0:0.5"};
    args.ties = {"generators[2].x=-generators[1].x"};
    args.objective = objective;
    args.runs = "3";
    args.evaluations = "12";
    args.seed = "5";
    args.out = Path(out);
    args.log_csv = Path(out + ".csv");
    return args;
  }
  int Call(const OptimizeArgs& args) {
    out_.clear();
    err_.clear();
    return CliOptimize(args, progress_, console_);
  }
  double Printed(const std::string& name) const {
    const std::size_t at = out_.find(name + ": ");
    double value = 0.0;
    std::string error;
    EXPECT_TRUE(ReadWholeDouble(out_.substr(at + name.size() + 2, out_.find('\n', at) - at - name.size() - 2),
                                value, error))
        << out_;
    return value;
  }

  testing::TempFolder folder_{"cli_optimize"};
  std::string out_;
  std::string err_;
  Console console_{[this](std::string_view text) {
                     out_ += text;
                     return true;
                   },
                   [this](std::string_view text) { err_ += text; }};
  CliProgress progress_{nullptr, nullptr};
};

// The objective computed afresh from the written design, as the other commands compute it.
double Afresh(const std::string& objective, const DesignRecord& design) {
  NoProgress progress;
  if (objective == "max") {
    PointResults points;
    EXPECT_TRUE(CalculateDesign(design, progress, points));
    return points.summary.max_error_m;
  }
  if (objective == "bound-rms") {
    std::vector<BoundPoint> points;
    EXPECT_TRUE(BoundGrid(design, points, {}));
    return SummariseBounds(points).rms_bound_m;
  }
  MonteCarloResult result;
  std::string error;
  EXPECT_EQ(RunMonteCarlo(design, {3, kDefaultMonteCarloSeed}, progress, result, error), AnalysisStatus::kDone);
  return result.summary.p95_error_m;
}

TEST_F(CliOptimizeTest, SameBestOnOneAndTwoThreadsWhoseObjectiveComputesAfreshToTheBit) {
  for (const std::string objective : {"max", "bound-rms", "mc-p95"}) {
    OptimizeArgs one = Args(objective, "one.json");
    one.threads = "1";
    ASSERT_EQ(Call(one), kExitOk) << err_;
    const std::string printed = out_;
    OptimizeArgs two = Args(objective, "two.json");
    two.threads = "2";
    ASSERT_EQ(Call(two), kExitOk) << err_;
    EXPECT_EQ(out_, printed) << objective;
    EXPECT_EQ(Content("one.json"), Content("two.json")) << objective;
    EXPECT_EQ(Content("one.json.csv"), Content("two.json.csv")) << objective;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 7);
    EXPECT_EQ(Printed("evaluations"), 12);

    DesignRecord best;
    StoredView view;
    std::string error;
    ASSERT_TRUE(ReadDesignFile(Path("one.json"), best, view, error)) << error;
    EXPECT_TRUE(SameBits(Printed("best_objective"), Afresh(objective, best))) << objective << "\n" << printed;
    EXPECT_LE(Printed("best_objective"), Printed("start_objective")) << objective;
    EXPECT_EQ(best.generators[2].x, -best.generators[1].x);
    EXPECT_EQ(best.generators[1].x, Printed("generators[1].x"));
  }
  SetComputeThreads(0);
}

TEST_F(CliOptimizeTest, BadArgumentsGetOneMessageAndWriteNothing) {
  struct Case {
    void (*edit)(OptimizeArgs&);
    const char* message;
  };
  const Case cases[] = {
      {[](OptimizeArgs& a) { a.objective = "median"; }, "--objective: \"median\" is none of"},
      {[](OptimizeArgs& a) { a.vary = {"generators[1].x=0.5:-0.5"}; }, "LO below HI"},
      {[](OptimizeArgs& a) { a.vary = {"generators[1].x=0:nan"}; }, "LO below HI"},
      {[](OptimizeArgs& a) { a.vary = {"generators[1].x"}; }, "expected KEY=LO:HI"},
      {[](OptimizeArgs& a) { a.vary = {"speed=0:1"}; }, "\"speed\" is not a numeric key"},
      {[](OptimizeArgs& a) { a.vary.push_back(a.vary[0]); }, "is varied twice"},
      {[](OptimizeArgs& a) { a.ties = {"generators[2].x=-generators[0].x"}; }, "is not one of the --vary keys"},
      {[](OptimizeArgs& a) { a.ties = {"generators[1].y=generators[1].x"}; }, "already varied or tied"},
      {[](OptimizeArgs& a) { a.ties = {"generators[2].x="}; }, "expected KEY=OTHER or KEY=-OTHER"},
      {[](OptimizeArgs& a) { a.evaluations = "0"; }, "--evaluations"},
      {[](OptimizeArgs& a) { a.runs = "x"; }, "--runs"},
      {[](OptimizeArgs& a) { a.min_spacing = "-1"; }, "--min-spacing"},
      {[](OptimizeArgs& a) { a.log_csv = a.file; }, "name the same file"},
      {[](OptimizeArgs& a) { a.file = a.file + ".missing"; }, "design.json.missing"},
  };
  for (const Case& c : cases) {
    OptimizeArgs args = Args("max", "best.json");
    c.edit(args);
    EXPECT_EQ(Call(args), kExitUsage) << c.message;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
    EXPECT_NE(err_.find(c.message), std::string::npos) << err_;
    EXPECT_EQ(out_, "");
    EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"design.json"}) << c.message;
  }
}

}  // namespace
}  // namespace orvendi
