#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/progress.h"
#include "core/analysis/sweep.h"
#include "core/design/design_record.h"

namespace orvendi {

// What the search makes small: of one calculation (run 1, as "Calculate"), of a Monte-Carlo run
// with noise seed 1, or of the precision bound over the grid.
enum class OptimizeObjective { kMax, kRms, kMcRms, kMcP95, kBoundMax, kBoundRms };

inline constexpr OptimizeObjective kObjectives[] = {OptimizeObjective::kMax,      OptimizeObjective::kRms,
                                                    OptimizeObjective::kMcRms,    OptimizeObjective::kMcP95,
                                                    OptimizeObjective::kBoundMax, OptimizeObjective::kBoundRms};
// "max", "rms", "mc-rms", "mc-p95", "bound-max", "bound-rms".
std::string_view ObjectiveName(OptimizeObjective objective);
std::optional<OptimizeObjective> ParseObjective(std::string_view text, std::string& error);

// A free key and its box.
struct OptimizeVariable {
  std::string key;
  double low = 0.0;
  double high = 0.0;
};
// "KEY=LO:HI" with finite LO < HI.
std::optional<OptimizeVariable> ParseOptimizeVariable(std::string_view text, std::string& error);

// A key that follows a free one: KEY=OTHER or KEY=-OTHER.
struct OptimizeTie {
  std::string key;
  std::string other;
  bool negated = false;
};
std::optional<OptimizeTie> ParseOptimizeTie(std::string_view text, std::string& error);

inline constexpr int kMaxOptimizeEvaluations = 1000000;

struct OptimizeOptions {
  std::vector<OptimizeVariable> variables;
  std::vector<OptimizeTie> ties;
  OptimizeObjective objective = OptimizeObjective::kMax;
  int runs = 10;  // of the Monte-Carlo objectives
  int evaluations = 2000;
  std::uint64_t seed = 1;      // of the search's random choices
  double min_spacing_m = 0.0;  // 0: generators may stand anywhere
};

// Names a key no design file holds, a tie to a key that is not free or a free key tied, and
// options out of range.
bool CheckOptimizeOptions(const OptimizeOptions& options, std::string& error);

// One point the search asked for. A refused point (the design check or the spacing turned its
// values down) is not computed; its objective is NaN.
struct OptimizeEvaluation {
  int index = 0;  // from 1
  std::vector<double> values;  // of the variables, whole keys rounded
  double objective = 0.0;
  bool refused = false;
  double best_objective = 0.0;  // the best so far, this point included
};

struct OptimizeResult {
  double start_objective = 0.0;  // of the design as given
  double best_objective = 0.0;   // infinite when no point could be computed
  std::vector<double> best_values;
  DesignRecord best;  // the design with the best values
  int evaluations = 0;
  int refused = 0;
};

// The objective of the design (its bed results brought up to date on a copy). False when
// `progress` asked to stop.
bool EvaluateObjective(const DesignRecord& design, const OptimizeOptions& options,
                       const ProgressCallback& progress, double& objective);

// Hears each point as it is done, in order; false with a message stops the search.
using OptimizeSink = std::function<bool(const OptimizeEvaluation& evaluation, std::string& error)>;

// Searches the box for the smallest objective: NLopt's CRS2 over three quarters of the budget,
// then Subplex from its best point. Both only compare objective values, so refused points and
// failed estimates (an infinite objective) do not upset them. Every evaluation runs on the
// compute threads, the search itself on this one, so the result is the same on any thread count.
// On kCancelled `result` holds the best so far; on kFailed `error` says why.
AnalysisStatus RunOptimize(const DesignRecord& base, const OptimizeOptions& options,
                           const DesignRowSetter& setter, Progress& progress, const OptimizeSink& sink,
                           OptimizeResult& result, std::string& error);

// The CSV header of the evaluations: evaluation, the variables, objective, best_objective, refused.
std::string OptimizeLogHeader(const OptimizeOptions& options);
std::string OptimizeLogLine(const OptimizeEvaluation& evaluation);

}  // namespace orvendi
