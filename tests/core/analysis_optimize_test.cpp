#include "core/analysis/optimize.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/analysis_test_support.h"
#include "core/design/design_file.h"
#include "core/dialogs/optimize_entries.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

// Ideal dipoles, the generators almost on one line.
DesignRecord PoorLayout() {
  DesignRecord design = DefaultDesign();
  design.dipole_type = 0;
  SetGeneratorPosition(design.generators[0], -0.3, 0.0, 0.0);
  SetGeneratorPosition(design.generators[1], 0.0, 0.02, 0.0);
  SetGeneratorPosition(design.generators[2], 0.3, 0.0, 0.0);
  return design;
}

struct Search {
  AnalysisStatus status = AnalysisStatus::kFailed;
  OptimizeResult result;
  std::vector<OptimizeEvaluation> heard;
  std::string error;
};

Search Optimize(const DesignRecord& design, const OptimizeOptions& options, Progress& progress) {
  Search run;
  const auto sink = [&run](const OptimizeEvaluation& evaluation, std::string&) {
    run.heard.push_back(evaluation);
    return true;
  };
  run.status = RunOptimize(design, options, SetDesignNumbers, progress, sink, run.result, run.error);
  return run;
}

OptimizeOptions SixCoordinates(int evaluations) {
  OptimizeOptions options;
  for (const char* key : {"generators[0].x", "generators[0].y", "generators[1].x", "generators[1].y",
                          "generators[2].x", "generators[2].y"})
    options.variables.push_back({key, -0.5, 0.5});
  options.evaluations = evaluations;
  return options;
}

TEST(Optimize, ImprovesANearlyCollinearLayoutWithinASmallBudget) {
  NoProgress progress;
  const Search run = Optimize(PoorLayout(), SixCoordinates(40), progress);
  ASSERT_EQ(run.status, AnalysisStatus::kDone) << run.error;
  EXPECT_LT(run.result.best_objective, run.result.start_objective);
  EXPECT_LT(run.result.best_objective, 0.01);
  ASSERT_EQ(run.heard.size(), 40u);
  for (std::size_t i = 1; i < run.heard.size(); ++i) {
    EXPECT_EQ(run.heard[i].index, static_cast<int>(i) + 1);
    EXPECT_LE(run.heard[i].best_objective, run.heard[i - 1].best_objective);
  }
  EXPECT_EQ(run.heard.back().best_objective, run.result.best_objective);
  // The best design holds the best values.
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_EQ(GetDesignNumber(run.result.best, SixCoordinates(1).variables[i].key), run.result.best_values[i]);
}

TEST(Optimize, TiedKeysFollowAndPointsTooCloseAreNeverComputed) {
  OptimizeOptions options;
  options.variables = {{"generators[1].x", -0.5, 0.5}};
  options.ties = {{"generators[2].x", "generators[1].x", true}};
  options.min_spacing_m = 0.45;
  options.evaluations = 20;
  NoProgress progress;
  DesignRecord design = DefaultDesign();
  design.dipole_type = 0;
  // Generator 1 stays 0.51 m or more from generator 0, so only generators 2 and 3 can come too close.
  const Search run = Optimize(design, options, progress);
  ASSERT_EQ(run.status, AnalysisStatus::kDone) << run.error;
  EXPECT_GT(run.result.refused, 0);
  for (const OptimizeEvaluation& point : run.heard) {
    const bool too_close = 2.0 * std::fabs(point.values[0]) < 0.45;
    EXPECT_EQ(point.refused, too_close) << point.values[0];
    EXPECT_EQ(std::isnan(point.objective), too_close) << point.values[0];
  }
  EXPECT_EQ(run.result.best.generators[2].x, -run.result.best.generators[1].x);
  EXPECT_EQ(run.result.best.generators[2].coils[1].x, run.result.best.generators[2].x);
}

TEST(Optimize, ACancelKeepsTheBestSoFar) {
  int reports = 0;
  ProgressFunction progress([&reports](double) { return ++reports < 40; });
  const Search run = Optimize(PoorLayout(), SixCoordinates(1000), progress);
  EXPECT_EQ(run.status, AnalysisStatus::kCancelled);
  EXPECT_GT(run.result.evaluations, 1);
  EXPECT_LT(run.result.evaluations, 40);
  // The point the cancel cut short is neither counted nor logged.
  EXPECT_EQ(run.heard.size(), static_cast<std::size_t>(run.result.evaluations));
  ASSERT_EQ(run.result.best_values.size(), 6u);
  EXPECT_EQ(GetDesignNumber(run.result.best, "generators[2].y"), run.result.best_values[5]);
}

TEST(OptimizeEntries, PositionsDefaultToTheVisibleAreaAndBadEntriesGetOneMessage) {
  const OptimizeEntries defaults = DefaultOptimizeEntries(DefaultDesign(), -0.4, 0.6, -0.3, 0.2);
  const std::optional<OptimizeOptions> read = [&] {
    std::string error;
    return ReadOptimizeEntries(defaults, error);
  }();
  ASSERT_TRUE(read);
  ASSERT_EQ(read->variables.size(), 6u);
  EXPECT_EQ(read->variables[0].key, "generators[0].x");
  EXPECT_EQ(read->variables[0].low, -0.4);
  EXPECT_EQ(read->variables[5].high, 0.2);
  EXPECT_EQ(read->evaluations, 200);

  struct Case {
    void (*edit)(OptimizeEntries&);
    const char* message;
  };
  const Case cases[] = {
      {[](OptimizeEntries& e) { e.rows[0].from = "left"; }, "Generator 0 x (m), from: \"left\" is not a finite number"},
      {[](OptimizeEntries& e) { e.rows[1].to = "inf"; }, "Generator 0 y (m), to:"},
      {[](OptimizeEntries& e) { e.rows[2].to = e.rows[2].from; }, "Generator 1 x (m): from must be below to"},
      {[](OptimizeEntries& e) {
         for (OptimizeRowEntries& row : e.rows) row.chosen = false;
       },
       "Choose at least one value"},
      {[](OptimizeEntries& e) { e.objective = 6; }, "Objective:"},
      {[](OptimizeEntries& e) { e.evaluations = "100001"; }, "Evaluations: \"100001\""},
      {[](OptimizeEntries& e) { e.runs = "0"; }, "Runs:"},
      {[](OptimizeEntries& e) { e.seed = "-1"; }, "Seed:"},
  };
  for (const Case& c : cases) {
    OptimizeEntries entries = defaults;
    c.edit(entries);
    std::string error;
    EXPECT_FALSE(ReadOptimizeEntries(entries, error)) << c.message;
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
  }
}

}  // namespace
}  // namespace orvendi
