#include "core/dialogs/sweep_entries.h"

#include <cmath>
#include <limits>

#include "core/design/design_file.h"
#include "core/design/number_text.h"
#include "core/dialogs/analysis_requests.h"

namespace orvendi {

namespace {

std::string Named(std::string_view label, std::string_view unit) {
  std::string name(label);
  if (!unit.empty()) name += " (" + std::string(unit) + ")";
  return name;
}

std::vector<SweepParameter> MakeSweepParameters() {
  std::vector<SweepParameter> list;
  for (const DesignKey& key : kDesignKeys) {
    if (key.kind == KeyKind::kSimulationInput && !key.label.empty()) {
      list.push_back({Named(key.label, key.unit), std::string(key.name), key.check});
    }
  }
  for (int g = 0; g < kGeneratorCount; ++g) {
    const std::string number = std::to_string(g);
    for (const SchemaKey<GeneratorRecord>& key : kGeneratorKeys) {
      if (key.label.empty()) continue;
      list.push_back({"Generator " + number + " " + Named(key.label, key.unit),
                      "generators[" + number + "]." + std::string(key.name), key.check});
    }
  }
  return list;
}

// The smallest and largest value of a key that takes one of a few whole values.
std::optional<std::pair<int, int>> Choices(KeyCheck check) {
  switch (check) {
    case KeyCheck::kZeroOrOne:
      return std::pair{0, 1};
    case KeyCheck::kOneOrTwo:
      return std::pair{1, 2};
    case KeyCheck::kOneToThree:
      return std::pair{1, 3};
    case KeyCheck::kZeroToTwo:
      return std::pair{0, 2};
    case KeyCheck::kZeroToFour:
      return std::pair{0, 4};
    default:
      return std::nullopt;
  }
}

// Reads the entries of the first parameter (`number` "") or of the second (" 2").
bool ReadAxis(int parameter, const std::string& from, const std::string& to, const std::string& count, bool log,
              const std::string& number, SweepAxis& axis, std::string& error) {
  const std::vector<SweepParameter>& parameters = SweepParameters();
  if (parameter < 0 || static_cast<std::size_t>(parameter) >= parameters.size()) {
    error = "Parameter" + number + ": choose one from the list";
    return false;
  }
  axis.key = parameters[static_cast<std::size_t>(parameter)].key;
  axis.log = log;
  std::string reason;
  if (!ReadWholeDouble(TrimBlanks(from), axis.from, reason)) {
    error = "From" + number + ": " + reason;
    return false;
  }
  if (!ReadWholeDouble(TrimBlanks(to), axis.to, reason)) {
    error = "To" + number + ": " + reason;
    return false;
  }
  const std::string whole = TrimBlanks(count);
  if (!ReadWholeInt(whole, axis.count)) {
    error = "Count" + number + ": \"" + whole + "\" is not a whole number";
    return false;
  }
  if (!CheckSweepAxis(axis, reason)) {
    error = (axis.count < 1 ? "Count" + number : "From" + number + " and To" + number) + ": " + reason;
    return false;
  }
  return true;
}

// Each value's cell reaches halfway to its neighbours, and as far beyond the ends; a single
// value gets a cell of a tenth of its size on either side (1 for 0).
std::vector<double> CellEdges(const std::vector<double>& values) {
  const std::size_t n = values.size();
  std::vector<double> edges(n + 1);
  if (n == 0) return edges;
  if (n == 1) {
    const double half = values[0] == 0.0 ? 1.0 : std::abs(values[0]) * 0.1;
    return {values[0] - half, values[0] + half};
  }
  for (std::size_t i = 1; i < n; ++i) edges[i] = values[i - 1] + (values[i] - values[i - 1]) / 2.0;
  edges[0] = values[0] - (edges[1] - values[0]);
  edges[n] = values[n - 1] + (values[n - 1] - edges[n - 1]);
  return edges;
}

std::vector<double> AxisValues(const SweepAxis& axis) {
  std::vector<double> values;
  for (int i = 0; i < axis.count; ++i) values.push_back(SweepAxisValue(axis, i));
  return values;
}

double Figure(const SweepRow& row, int result) {
  switch (result) {
    case 0:
      return row.errors.max_error_m;
    case 1:
      return row.errors.rms_error_m;
    case 2:
      return row.has_monte_carlo ? row.monte_carlo.max_trueness_m : std::nan("");
    default:
      return row.has_monte_carlo ? row.monte_carlo.max_precision_m : std::nan("");
  }
}

}  // namespace

const std::vector<SweepParameter>& SweepParameters() {
  static const std::vector<SweepParameter> list = MakeSweepParameters();
  return list;
}

std::string SweepParameterName(std::string_view key) {
  for (const SweepParameter& p : SweepParameters()) {
    if (p.key == key) return p.name;
  }
  return std::string(key);
}

SweepRange ProposedSweepRange(const DesignRecord& design, int parameter) {
  SweepRange range;
  const std::vector<SweepParameter>& parameters = SweepParameters();
  if (parameter < 0 || static_cast<std::size_t>(parameter) >= parameters.size()) return range;
  const SweepParameter& chosen = parameters[static_cast<std::size_t>(parameter)];
  if (const auto choices = Choices(chosen.check)) {
    range.from = choices->first;
    range.to = choices->second;
    range.count = choices->second - choices->first + 1;
    return range;
  }
  const std::optional<double> value = GetDesignNumber(design, chosen.key);
  if (value && std::isfinite(*value) && *value != 0.0) {
    range.from = std::fmin(*value * 0.5, *value * 1.5);
    range.to = std::fmax(*value * 0.5, *value * 1.5);
  }
  return range;
}

const std::vector<std::string>& SweepMapResults() {
  static const std::vector<std::string> names = {"Max error", "RMS error", "Max trueness", "Max precision"};
  return names;
}

std::optional<SweepOptions> ReadSweepEntries(const SweepEntries& entries, std::string& error) {
  SweepOptions options;
  SweepAxis first;
  if (!ReadAxis(entries.parameter, entries.from, entries.to, entries.count, entries.log, "", first, error))
    return std::nullopt;
  options.axes.push_back(first);
  const bool two = entries.second_parameter != -1;
  if (two) {
    if (entries.second_parameter == entries.parameter) {
      error = "Parameter 2: choose one other than the first";
      return std::nullopt;
    }
    SweepAxis second;
    if (!ReadAxis(entries.second_parameter, entries.second_from, entries.second_to, entries.second_count,
                  false, " 2", second, error)) {
      return std::nullopt;
    }
    options.axes.push_back(second);
  }
  const std::optional<MonteCarloOptions> runs = ReadMonteCarloEntries({entries.runs, entries.seed}, error);
  if (!runs) return std::nullopt;
  options.monte_carlo = *runs;
  if (two) {
    if (entries.map_result < 0 || static_cast<std::size_t>(entries.map_result) >= SweepMapResults().size()) {
      error = "Map: choose one from the list";
      return std::nullopt;
    }
    if (entries.map_result >= 2 && options.monte_carlo.runs < 2) {
      error = "Map: " + SweepMapResults()[static_cast<std::size_t>(entries.map_result)] +
              " needs more than one run per value";
      return std::nullopt;
    }
  }
  if (!SweepCombinations(options.axes, error)) return std::nullopt;
  return options;
}

SweepMap MakeSweepMap(const SweepOptions& options, const std::vector<SweepRow>& rows, int result) {
  SweepMap map;
  if (result >= 0 && static_cast<std::size_t>(result) < SweepMapResults().size()) {
    map.result = SweepMapResults()[static_cast<std::size_t>(result)];
  }
  if (options.axes.size() != 2) return map;
  map.x_values = AxisValues(options.axes[0]);
  map.y_values = AxisValues(options.axes[1]);
  map.x_edges = CellEdges(map.x_values);
  map.y_edges = CellEdges(map.y_values);
  const auto columns = static_cast<std::int64_t>(map.y_values.size());
  const auto cells = static_cast<std::int64_t>(map.x_values.size()) * columns;
  map.millimetres.assign(static_cast<std::size_t>(cells), std::nan(""));
  for (const SweepRow& row : rows) {
    if (row.index < 0 || row.index >= cells) continue;
    const double metres = Figure(row, result);
    if (std::isfinite(metres)) map.millimetres[static_cast<std::size_t>(row.index)] = metres * 1000.0;
  }
  map.low = map.high = std::numeric_limits<double>::quiet_NaN();
  for (const double value : map.millimetres) {
    if (std::isnan(value)) {
      ++map.missing;
      continue;
    }
    map.low = std::isnan(map.low) ? value : std::fmin(map.low, value);
    map.high = std::isnan(map.high) ? value : std::fmax(map.high, value);
  }
  return map;
}

}  // namespace orvendi
