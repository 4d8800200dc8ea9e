#include "core/analysis/optimize.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlopt.hpp>
#include <stdexcept>

#include "core/analysis/csv_text.h"
#include "core/analysis/monte_carlo.h"
#include "core/analysis/point_results.h"
#include "core/design/design_file.h"
#include "core/design/number_text.h"
#include "core/field/bed_model.h"
#include "core/platform/progress.h"
#include "core/position/precision_bound.h"

namespace orvendi {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
// The global search's share of the budget; the local refinement gets the rest.
constexpr int kGlobalQuarters = 3;

constexpr std::string_view kObjectiveNames[] = {"max", "rms", "mc-rms", "mc-p95", "bound-max", "bound-rms"};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool IsKey(std::string_view key) {
  const std::vector<std::string>& keys = NumericDesignKeys();
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// NaN (an empty grid) is as bad as a failed estimate.
double Comparable(double objective) { return std::isnan(objective) ? kInf : objective; }

bool FarEnoughApart(const DesignRecord& design, double spacing) {
  for (int a = 0; a < kGeneratorCount; ++a) {
    for (int b = a + 1; b < kGeneratorCount; ++b) {
      const double dx = design.generators[a].x - design.generators[b].x;
      const double dy = design.generators[a].y - design.generators[b].y;
      if (std::hypot(dx, dy) < spacing) return false;
    }
  }
  return true;
}

// The search's state between NLopt's calls.
struct Search {
  const DesignRecord& base;
  const OptimizeOptions& options;
  const DesignRowSetter& setter;
  const OptimizeSink& sink;
  ProgressCallback whole;
  std::vector<std::string_view> keys;  // the variables', then the tied ones
  std::vector<bool> whole_key;
  OptimizeResult& result;
  AnalysisStatus status = AnalysisStatus::kDone;
  std::string error;

  double Evaluate(const std::vector<double>& x, nlopt::opt& opt) {
    if (status != AnalysisStatus::kDone || result.evaluations >= options.evaluations) {
      opt.force_stop();
      return kInf;
    }
    OptimizeEvaluation point;
    point.index = ++result.evaluations;
    point.values = x;
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (whole_key[i]) point.values[i] = std::round(x[i]);
    }
    std::vector<double> values = point.values;
    for (const OptimizeTie& tie : options.ties) {
      const auto free = std::find_if(options.variables.begin(), options.variables.end(),
                                     [&](const OptimizeVariable& v) { return v.key == tie.other; });
      const double value = point.values[static_cast<std::size_t>(free - options.variables.begin())];
      values.push_back(tie.negated ? -value : value);
    }
    DesignRecord design = base;
    std::string reason;
    point.refused = !setter(design, keys, values, reason) ||
                    (options.min_spacing_m > 0.0 && !FarEnoughApart(design, options.min_spacing_m));
    point.objective = kNan;
    if (point.refused) {
      ++result.refused;
    } else {
      const double budget = options.evaluations;
      const ProgressCallback part = ProgressPart(whole, (point.index - 1) / budget, point.index / budget);
      if (!EvaluateObjective(design, options, part, point.objective)) {
        --result.evaluations;  // the point left unfinished does not count
        status = AnalysisStatus::kCancelled;
        opt.force_stop();
        return kInf;
      }
      if (result.best_values.empty() || Comparable(point.objective) < result.best_objective) {
        result.best_objective = Comparable(point.objective);
        result.best_values = point.values;
        result.best = design;
      }
    }
    point.best_objective = result.best_values.empty() ? kNan : result.best_objective;
    if (!sink || sink(point, error)) return point.refused ? kInf : Comparable(point.objective);
    if (error.empty()) error = "the search's output was refused";
    status = AnalysisStatus::kFailed;
    opt.force_stop();
    return kInf;
  }

  void Phase(nlopt::algorithm algorithm, int budget, std::vector<double>& x) {
    if (budget <= 0 || status != AnalysisStatus::kDone) return;
    const std::size_t n = options.variables.size();
    nlopt::opt opt(algorithm, static_cast<unsigned>(n));
    std::vector<double> low(n), high(n), step(n);
    for (std::size_t i = 0; i < n; ++i) {
      low[i] = options.variables[i].low;
      high[i] = options.variables[i].high;
      step[i] = (high[i] - low[i]) / 10.0;
    }
    opt.set_lower_bounds(low);
    opt.set_upper_bounds(high);
    opt.set_initial_step(step);
    opt.set_maxeval(budget);
    std::pair<Search*, nlopt::opt*> data{this, &opt};
    opt.set_min_objective(
        [](unsigned n_, const double* at, double*, void* d) {
          auto* self = static_cast<std::pair<Search*, nlopt::opt*>*>(d);
          return self->first->Evaluate(std::vector<double>(at, at + n_), *self->second);
        },
        &data);
    double value = 0.0;
    try {
      opt.optimize(x, value);
    } catch (const nlopt::forced_stop&) {
      // Stopped here on purpose; the best point is kept.
    } catch (const nlopt::roundoff_limited&) {
      // A search that gave up early still leaves its best point.
    } catch (const std::runtime_error&) {
      // NLopt's generic failure, after which the best point is as good as before.
    }
  }
};

}  // namespace

std::string_view ObjectiveName(OptimizeObjective objective) {
  return kObjectiveNames[static_cast<std::size_t>(objective)];
}

std::optional<OptimizeObjective> ParseObjective(std::string_view text, std::string& error) {
  for (const OptimizeObjective objective : kObjectives) {
    if (ObjectiveName(objective) == text) return objective;
  }
  error = "--objective: " + Quoted(text) + " is none of max, rms, mc-rms, mc-p95, bound-max, bound-rms";
  return std::nullopt;
}

std::optional<OptimizeVariable> ParseOptimizeVariable(std::string_view text, std::string& error) {
  const std::string what = "--vary " + Quoted(text) + ": ";
  const std::size_t equals = text.find('=');
  const std::size_t colon = equals == std::string_view::npos ? equals : text.find(':', equals);
  if (equals == 0 || colon == std::string_view::npos) {
    error = what + "expected KEY=LO:HI";
    return std::nullopt;
  }
  OptimizeVariable variable{std::string(text.substr(0, equals))};
  std::string reason;
  if (!ReadWholeDouble(text.substr(equals + 1, colon - equals - 1), variable.low, reason) ||
      !ReadWholeDouble(text.substr(colon + 1), variable.high, reason)) {
    error = what + reason;
    return std::nullopt;
  }
  if (!std::isfinite(variable.low) || !std::isfinite(variable.high) || !(variable.low < variable.high)) {
    error = what + "LO and HI must be finite with LO below HI";
    return std::nullopt;
  }
  return variable;
}

std::optional<OptimizeTie> ParseOptimizeTie(std::string_view text, std::string& error) {
  const std::size_t equals = text.find('=');
  if (equals == 0 || equals == std::string_view::npos || equals + 1 == text.size() ||
      (text[equals + 1] == '-' && equals + 2 == text.size())) {
    error = "--tie " + Quoted(text) + ": expected KEY=OTHER or KEY=-OTHER";
    return std::nullopt;
  }
  OptimizeTie tie{std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))};
  tie.negated = tie.other.front() == '-';
  if (tie.negated) tie.other.erase(0, 1);
  return tie;
}

bool CheckOptimizeOptions(const OptimizeOptions& options, std::string& error) {
  const auto free = [&](std::string_view key) {
    return std::any_of(options.variables.begin(), options.variables.end(),
                       [&](const OptimizeVariable& v) { return v.key == key; });
  };
  if (options.variables.empty()) {
    error = "the search needs at least one --vary KEY=LO:HI";
    return false;
  }
  for (std::size_t i = 0; i < options.variables.size(); ++i) {
    const std::string& key = options.variables[i].key;
    if (!IsKey(key)) {
      error = "--vary: " + Quoted(key) + " is not a numeric key of a design file (such as generators[1].x)";
      return false;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (options.variables[j].key == key) {
        error = "--vary: " + Quoted(key) + " is varied twice";
        return false;
      }
    }
  }
  for (std::size_t i = 0; i < options.ties.size(); ++i) {
    const OptimizeTie& tie = options.ties[i];
    const std::string what = "--tie " + tie.key + "=" + (tie.negated ? "-" : "") + tie.other + ": ";
    const auto same = [&](const OptimizeTie& other) { return other.key == tie.key; };
    if (!IsKey(tie.key)) {
      error = what + Quoted(tie.key) + " is not a numeric key of a design file";
    } else if (free(tie.key) || std::any_of(options.ties.begin(), options.ties.begin() + i, same)) {
      error = what + Quoted(tie.key) + " is already varied or tied";
    } else if (!free(tie.other)) {
      error = what + Quoted(tie.other) + " is not one of the --vary keys";
    } else {
      continue;
    }
    return false;
  }
  if (options.evaluations < 1 || options.evaluations > kMaxOptimizeEvaluations) {
    error = "--evaluations: must be from 1 to " + std::to_string(kMaxOptimizeEvaluations);
  } else if (!(std::isfinite(options.min_spacing_m) && options.min_spacing_m >= 0.0)) {
    error = "--min-spacing: must be a finite distance, 0 or above";
  } else {
    return CheckMonteCarloOptions({options.runs, kDefaultMonteCarloSeed}, error);
  }
  return false;
}

bool EvaluateObjective(const DesignRecord& design, const OptimizeOptions& options,
                       const ProgressCallback& progress, double& objective) {
  DesignRecord copy = design;
  switch (options.objective) {
    case OptimizeObjective::kMcRms:
    case OptimizeObjective::kMcP95: {
      MonteCarloResult result;
      if (!SimulateRuns(copy, {options.runs, kDefaultMonteCarloSeed}, progress, result)) return false;
      objective = options.objective == OptimizeObjective::kMcRms ? result.summary.rms_error_m
                                                                 : result.summary.p95_error_m;
      return true;
    }
    default:
      break;
  }
  ProgressFunction bed_progress(progress);
  if (copy.include_bed_currents != 0 && copy.bed_stale != 0 && !RefreshBedModel(copy, bed_progress)) return false;
  if (options.objective == OptimizeObjective::kBoundMax || options.objective == OptimizeObjective::kBoundRms) {
    std::vector<BoundPoint> points;
    if (!BoundGrid(copy, points, progress)) return false;
    const BoundSummary summary = SummariseBounds(points);
    objective = options.objective == OptimizeObjective::kBoundMax ? summary.max_bound_m : summary.rms_bound_m;
    return true;
  }
  ResultBuffer buffer;
  if (!CalculateMonteCarloRun(copy, 1, kDefaultMonteCarloSeed, buffer, progress)) return false;
  const ErrorSummary summary = CollectPointResults(copy, buffer).summary;
  objective = options.objective == OptimizeObjective::kMax ? summary.max_error_m : summary.rms_error_m;
  return true;
}

AnalysisStatus RunOptimize(const DesignRecord& base, const OptimizeOptions& options,
                           const DesignRowSetter& setter, Progress& progress, const OptimizeSink& sink,
                           OptimizeResult& result, std::string& error) {
  if (!setter) {
    error = "no way to set design values was given";
    return AnalysisStatus::kFailed;
  }
  if (!CheckOptimizeOptions(options, error)) return AnalysisStatus::kFailed;
  result = OptimizeResult{};
  result.best = base;
  result.best_objective = kInf;
  Search search{base, options, setter, sink, ProgressOf(progress), {}, {}, result, AnalysisStatus::kDone, {}};
  std::vector<double> x;
  for (const OptimizeVariable& variable : options.variables) {
    search.keys.push_back(variable.key);
    search.whole_key.push_back(DesignNumberIsWhole(variable.key));
    const double now = GetDesignNumber(base, variable.key).value_or(variable.low);
    x.push_back(std::isnan(now) ? variable.low : std::clamp(now, variable.low, variable.high));
  }
  for (const OptimizeTie& tie : options.ties) search.keys.push_back(tie.key);

  if (!EvaluateObjective(base, options, ProgressPart(search.whole, 0.0, 0.0), result.start_objective)) {
    error = kCancelledMessage;
    return AnalysisStatus::kCancelled;
  }
  nlopt::srand(options.seed);
  const int global = std::max(1, options.evaluations * kGlobalQuarters / 4);
  search.Phase(nlopt::GN_CRS2_LM, global, x);
  if (!result.best_values.empty()) x = result.best_values;
  search.Phase(nlopt::LN_SBPLX, options.evaluations - result.evaluations, x);
  error = search.error;
  if (search.status == AnalysisStatus::kCancelled) error = kCancelledMessage;
  if (search.status == AnalysisStatus::kDone && result.best_values.empty()) {
    error = "every point the search tried was refused; widen the ranges or lower --min-spacing";
    return AnalysisStatus::kFailed;
  }
  return search.status;
}

std::string OptimizeLogHeader(const OptimizeOptions& options) {
  std::string out = "evaluation,";
  for (const OptimizeVariable& variable : options.variables) {
    AppendCsvText(out, variable.key);
    out.push_back(',');
  }
  return out + "objective,best_objective,refused\n";
}

std::string OptimizeLogLine(const OptimizeEvaluation& evaluation) {
  std::string out;
  AppendCsvInteger(out, evaluation.index);
  for (const double value : evaluation.values) {
    out.push_back(',');
    AppendCsvNumber(out, value);
  }
  AppendCsvNumbers(out, {evaluation.objective, evaluation.best_objective});
  out += evaluation.refused ? ",1\n" : ",0\n";
  return out;
}

}  // namespace orvendi
