#include "python/python_optimize.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>

#include "core/analysis/optimize.h"
#include "core/analysis/sweep.h"

namespace orvendi::python {

namespace {

bool IsNumericKey(const std::string& key) {
  const std::vector<std::string>& keys = NumericDesignKeys();
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

[[noreturn]] void NotAKey(std::string_view argument, const std::string& key) {
  throw py::key_error(std::string(argument) + ": \"" + key +
                      "\" is not a numeric key of a design file (such as generators[1].x)");
}

// The core names the command line's options; here they are the arguments of optimize().
std::string ArgumentMessage(std::string message) {
  for (const auto& [option, argument] : {std::pair<std::string_view, std::string_view>{"--min-spacing", "min_spacing"},
                                         {"--tie", "ties"},
                                         {"--", ""}}) {
    if (message.starts_with(option)) {
      message = std::string(argument) + message.substr(option.size());
      break;
    }
  }
  for (std::size_t at = message.find("--vary"); at != std::string::npos; at = message.find("--vary", at))
    message.erase(at, 2);
  return message;
}

OptimizeOptions Options(const OptimizeCall& args) {
  OptimizeOptions options;
  std::string error;
  if (args.vary.empty()) throw py::value_error("vary: give at least one key and its (LO, HI)");
  for (const auto& [key, low, high] : args.vary) {
    if (!IsNumericKey(key)) NotAKey("vary", key);
    if (!std::isfinite(low) || !std::isfinite(high) || !(low < high)) {
      throw py::value_error("vary \"" + key + "\": LO and HI must be finite with LO below HI");
    }
    options.variables.push_back({key, low, high});
  }
  for (const auto& [key, other] : args.ties) {
    const std::optional<OptimizeTie> tie = ParseOptimizeTie(key + "=" + other, error);
    if (!tie) throw py::value_error(ArgumentMessage(error));
    if (!IsNumericKey(tie->key)) NotAKey("ties", tie->key);
    options.ties.push_back(*tie);
  }
  const std::optional<OptimizeObjective> objective = ParseObjective(args.objective, error);
  if (!objective) throw py::value_error(ArgumentMessage(error));
  options.objective = *objective;
  options.runs = args.runs;
  options.evaluations = args.evaluations;
  options.seed = args.seed;
  options.min_spacing_m = args.min_spacing_m;
  if (!CheckOptimizeOptions(options, error)) throw py::value_error(ArgumentMessage(error));
  return options;
}

// What the search found so far; the history as (names, columns) in the order of the --log CSV.
py::dict ResultOf(const OptimizeOptions& options, const OptimizeResult& result, const StoredView& view,
                  const std::vector<OptimizeEvaluation>& history) {
  py::dict out;
  out["objective"] = std::string(ObjectiveName(options.objective));
  out["start_objective"] = result.start_objective;
  out["best_objective"] = result.best_objective;
  out["evaluations"] = result.evaluations;
  out["refused"] = result.refused;
  py::dict values;
  for (std::size_t i = 0; i < options.variables.size() && i < result.best_values.size(); ++i)
    values[py::str(options.variables[i].key)] = result.best_values[i];
  out["best_values"] = values;
  out["best"] = Design{result.best, view};

  std::vector<std::string> names{"evaluation"};
  for (const OptimizeVariable& variable : options.variables) names.push_back(variable.key);
  for (const char* name : {"objective", "best_objective", "refused"}) names.emplace_back(name);
  const py::ssize_t rows = static_cast<py::ssize_t>(history.size());
  std::vector<py::array> columns;
  py::array_t<std::int64_t> index(rows);
  py::array_t<std::int64_t> refused(rows);
  std::vector<py::array_t<double>> numbers;
  for (std::size_t c = 0; c < options.variables.size() + 2; ++c) numbers.emplace_back(rows);
  for (py::ssize_t r = 0; r < rows; ++r) {
    const OptimizeEvaluation& point = history[static_cast<std::size_t>(r)];
    index.mutable_at(r) = point.index;
    refused.mutable_at(r) = point.refused ? 1 : 0;
    std::size_t c = 0;
    for (const double value : point.values) numbers[c++].mutable_at(r) = value;
    numbers[c++].mutable_at(r) = point.objective;
    numbers[c].mutable_at(r) = point.best_objective;
  }
  columns.push_back(index);
  for (py::array_t<double>& column : numbers) columns.push_back(column);
  columns.push_back(refused);
  out["history"] = py::make_tuple(names, columns);
  return out;
}

}  // namespace

py::dict ComputeOptimize(const Design& design, const OptimizeCall& args, std::optional<int> threads) {
  const OptimizeOptions options = Options(args);
  const DesignRecord base = design.record;
  std::vector<OptimizeEvaluation> history;
  const auto sink = [&history](const OptimizeEvaluation& point, std::string&) {
    history.push_back(point);
    return true;
  };
  OptimizeResult result;
  std::string error;
  AnalysisStatus status = AnalysisStatus::kDone;
  try {
    status = RunReleased(threads, [&](Progress& progress) {
      return RunOptimize(base, options, SetDesignNumbers, progress, sink, result, error);
    });
  } catch (py::error_already_set& stopped) {
    // The best so far rides on the KeyboardInterrupt, as the command line still writes it.
    if (stopped.matches(PyExc_KeyboardInterrupt) && !result.best_values.empty()) {
      stopped.value().attr("result") = ResultOf(options, result, design.view, history);
    }
    throw;
  }
  if (status == AnalysisStatus::kFailed) throw py::value_error(error);
  if (status == AnalysisStatus::kCancelled) {
    PyErr_SetNone(PyExc_KeyboardInterrupt);
    throw py::error_already_set();
  }
  return ResultOf(options, result, design.view, history);
}

}  // namespace orvendi::python
