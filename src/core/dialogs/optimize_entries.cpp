#include "core/dialogs/optimize_entries.h"

#include <algorithm>
#include <cmath>

#include "core/design/design_file.h"
#include "core/design/number_text.h"
#include "core/dialogs/analysis_requests.h"
#include "core/dialogs/sweep_entries.h"

namespace orvendi {

namespace {

// What shapes the layout and its signal: the generators (their positions first, ticked), the
// frequency, the sensor and the bed's material and height. Choices, the scan grid, noise and the
// bed's outline are settings of the study, not of the layout.
bool LayoutValue(const SweepParameter& p) {
  if (p.check == KeyCheck::kZeroOrOne || p.check == KeyCheck::kOneOrTwo || p.check == KeyCheck::kZeroToTwo ||
      p.check == KeyCheck::kOneToThree ||
      p.check == KeyCheck::kZeroToFour)
    return false;
  for (const std::string_view study : {"scan_", "noise_", "offset_", "bed_x", "bed_y", "bed_cells"})
    if (p.key.starts_with(study)) return false;
  return true;
}

std::vector<OptimizeParameter> MakeOptimizeParameters() {
  std::vector<OptimizeParameter> list;
  const auto position = [](const SweepParameter& p) { return p.key.ends_with("].x") || p.key.ends_with("].y"); };
  for (const SweepParameter& p : SweepParameters())
    if (position(p)) list.push_back({p.name, p.key, true});
  for (const SweepParameter& p : SweepParameters())
    if (!position(p) && LayoutValue(p)) list.push_back({p.name, p.key, false});
  return list;
}

std::string Shown(double value) { return FormatNumber(value, ShowFormat::kGeneral); }

bool ReadEnd(const std::string& name, const char* which, const std::string& text, double& value,
             std::string& error) {
  std::string reason;
  if (ReadWholeDouble(TrimBlanks(text), value, reason) && std::isfinite(value)) return true;
  error = name + ", " + which + ": \"" + TrimBlanks(text) + "\" is not a finite number";
  return false;
}

}  // namespace

const std::vector<OptimizeParameter>& OptimizeParameters() {
  static const std::vector<OptimizeParameter> list = MakeOptimizeParameters();
  return list;
}

OptimizeEntries DefaultOptimizeEntries(const DesignRecord& design, double x_low, double x_high, double y_low,
                                       double y_high) {
  OptimizeEntries entries;
  for (const OptimizeParameter& p : OptimizeParameters()) {
    OptimizeRowEntries row;
    if (p.position) {
      const bool x = p.key.ends_with(".x");
      row = {true, Shown(x ? x_low : y_low), Shown(x ? x_high : y_high)};
    } else {
      const double now = GetDesignNumber(design, p.key).value_or(1.0);
      const double value = std::isfinite(now) && now != 0.0 ? now : 1.0;
      row = {false, Shown(std::fmin(value * 0.5, value * 1.5)), Shown(std::fmax(value * 0.5, value * 1.5))};
    }
    entries.rows.push_back(row);
  }
  return entries;
}

std::optional<OptimizeOptions> ReadOptimizeEntries(const OptimizeEntries& entries, std::string& error) {
  OptimizeOptions options;
  const std::vector<OptimizeParameter>& parameters = OptimizeParameters();
  for (std::size_t i = 0; i < entries.rows.size() && i < parameters.size(); ++i) {
    const OptimizeRowEntries& row = entries.rows[i];
    if (!row.chosen) continue;
    OptimizeVariable variable{parameters[i].key};
    if (!ReadEnd(parameters[i].name, "from", row.from, variable.low, error) ||
        !ReadEnd(parameters[i].name, "to", row.to, variable.high, error))
      return std::nullopt;
    if (!(variable.low < variable.high)) {
      error = parameters[i].name + ": from must be below to";
      return std::nullopt;
    }
    options.variables.push_back(variable);
  }
  if (options.variables.empty()) {
    error = "Choose at least one value to vary";
    return std::nullopt;
  }
  if (entries.objective < 0 || entries.objective >= static_cast<int>(std::size(kObjectives))) {
    error = "Objective: not one of the list";
    return std::nullopt;
  }
  options.objective = kObjectives[entries.objective];
  const std::string evaluations = TrimBlanks(entries.evaluations);
  if (!ReadWholeInt(evaluations, options.evaluations) || options.evaluations < 1 ||
      options.evaluations > kMaxWindowEvaluations) {
    error = "Evaluations: \"" + evaluations + "\" is not a whole number from 1 to " +
            std::to_string(kMaxWindowEvaluations);
    return std::nullopt;
  }
  const std::optional<MonteCarloOptions> runs = ReadMonteCarloEntries({entries.runs, entries.seed}, error);
  if (!runs) return std::nullopt;
  options.runs = runs->runs;
  options.seed = runs->seed;
  if (!CheckOptimizeOptions(options, error)) return std::nullopt;
  return options;
}

bool ApplyOptimizeResult(const OptimizeOptions& options, const OptimizeResult& result, DesignRecord& design) {
  if (result.best_values.size() != options.variables.size()) return false;
  std::vector<std::string_view> keys;
  std::vector<double> values;
  for (const OptimizeVariable& variable : options.variables) {
    keys.push_back(variable.key);
    values.push_back(GetDesignNumber(result.best, variable.key).value_or(0.0));
  }
  for (const OptimizeTie& tie : options.ties) {
    keys.push_back(tie.key);
    values.push_back(GetDesignNumber(result.best, tie.key).value_or(0.0));
  }
  std::string error;
  return SetDesignNumbers(design, keys, values, error);
}

}  // namespace orvendi
