#include "core/dialogs/analysis_requests.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "core/design/number_text.h"

namespace orvendi {

namespace {

std::vector<SweepParameter> MakeSweepParameters() {
  std::vector<SweepParameter> list = {
      {"Frequency (Hz)", "frequency_hz"},
      {"Noise peak (V)", "noise_peak_v"},
      {"Offset (V)", "offset_v"},
      {"Sensor angle theta (rad)", "sensor_theta_rad"},
      {"Sensor angle phi (rad)", "sensor_phi_rad"},
      {"Scan plane height z (m)", "scan_plane_z"},
      {"Bed height z (m)", "bed_z1"},
  };
  for (int g = 0; g < kGeneratorCount; ++g) {
    const std::string generator = "Generator " + std::to_string(g + 1) + " ";
    const std::string key = "generators[" + std::to_string(g) + "].";
    list.push_back({generator + "coil side (m)", key + "side_m"});
    list.push_back({generator + "turns", key + "turns"});
    list.push_back({generator + "current (A)", key + "peak_current_a"});
    list.push_back({generator + "x (m)", key + "x"});
    list.push_back({generator + "y (m)", key + "y"});
  }
  return list;
}

bool ReadSeed(const std::string& text, std::uint64_t& seed) {
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(text.data(), last, seed);
  return !text.empty() && result.ec == std::errc() && result.ptr == last;
}

std::string Millimetres(double metres) {
  if (std::isnan(metres)) return "none";
  return FormatNumber(metres * 1000.0, ShowFormat::kGeneral) + " mm";
}

std::string Efficiency(double ratio) {
  if (std::isnan(ratio)) return "none";
  return FormatNumber(ratio, ShowFormat::kGeneral);
}

}  // namespace

const std::vector<SweepParameter>& SweepParameters() {
  static const std::vector<SweepParameter> list = MakeSweepParameters();
  return list;
}

std::optional<MonteCarloOptions> ReadMonteCarloEntries(const MonteCarloEntries& entries, std::string& error) {
  MonteCarloOptions options;
  const std::string runs = TrimBlanks(entries.runs);
  if (!ReadWholeInt(runs, options.runs)) {
    error = "Runs: \"" + runs + "\" is not a whole number";
    return std::nullopt;
  }
  std::string reason;
  if (!CheckMonteCarloOptions(options, reason)) {
    error = "Runs: " + reason;
    return std::nullopt;
  }
  const std::string seed = TrimBlanks(entries.seed);
  if (!ReadSeed(seed, options.seed)) {
    error = "Seed: \"" + seed + "\" is not a whole number from 0 to 18446744073709551615";
    return std::nullopt;
  }
  return options;
}

std::optional<SweepOptions> ReadSweepEntries(const SweepEntries& entries, std::string& error) {
  const std::vector<SweepParameter>& parameters = SweepParameters();
  if (entries.parameter < 0 || static_cast<std::size_t>(entries.parameter) >= parameters.size()) {
    error = "Parameter: choose one from the list";
    return std::nullopt;
  }
  SweepAxis axis;
  axis.key = parameters[entries.parameter].key;
  std::string reason;
  if (!ReadWholeDouble(TrimBlanks(entries.from), axis.from, reason)) {
    error = "From: " + reason;
    return std::nullopt;
  }
  if (!ReadWholeDouble(TrimBlanks(entries.to), axis.to, reason)) {
    error = "To: " + reason;
    return std::nullopt;
  }
  const std::string count = TrimBlanks(entries.count);
  if (!ReadWholeInt(count, axis.count)) {
    error = "Count: \"" + count + "\" is not a whole number";
    return std::nullopt;
  }
  if (!CheckSweepAxis(axis, reason)) {
    error = (axis.count < 1 ? "Count: " : "From and To: ") + reason;
    return std::nullopt;
  }
  const std::optional<MonteCarloOptions> runs = ReadMonteCarloEntries({entries.runs, entries.seed}, error);
  if (!runs) return std::nullopt;
  SweepOptions options;
  options.axes.push_back(axis);
  options.monte_carlo = *runs;
  if (!SweepCombinations(options.axes, error)) return std::nullopt;
  return options;
}

std::string MonteCarloSummaryText(const MonteCarloSummary& summary) {
  std::string text;
  const auto line = [&text](const std::string& name, const std::string& value) {
    text += name + ": " + value + "\n";
  };
  line("Runs", FormatInteger(summary.runs));
  line("Points", FormatInteger(summary.points));
  line("Trueness, largest", Millimetres(summary.max_trueness_m));
  line("Trueness, mean", Millimetres(summary.mean_trueness_m));
  line("Precision, largest", Millimetres(summary.max_precision_m));
  line("Precision, mean", Millimetres(summary.mean_precision_m));
  line("RMS error", Millimetres(summary.rms_error_m));
  line("95th percentile of the error", Millimetres(summary.p95_error_m));
  line("Failed estimates", std::to_string(summary.failed_estimates));
  line("Precision bound, largest", Millimetres(summary.max_bound_m));
  line("Precision bound, RMS", Millimetres(summary.rms_bound_m));
  line("Precision over bound, mean", Efficiency(summary.mean_efficiency));
  return text;
}

std::string BoundSummaryText(const BoundSummary& summary) {
  std::string text;
  const auto line = [&text](const std::string& name, double metres) {
    text += name + ": " + (std::isinf(metres) ? std::string("infinite") : Millimetres(metres)) + "\n";
  };
  text += "Points: " + std::to_string(summary.points) + "\n";
  text += "Blind spots: " + std::to_string(summary.singular_points) + "\n";
  line("Precision bound, largest", summary.max_bound_m);
  line("Precision bound, RMS", summary.rms_bound_m);
  line("Precision bound, mean", summary.mean_bound_m);
  return text;
}

PlanePoint GeneratorCentre(const DesignRecord& design) {
  PlanePoint centre;
  for (const GeneratorRecord& g : design.generators) {
    centre.x += g.x;
    centre.y += g.y;
    centre.z += g.z;
  }
  centre.x /= kGeneratorCount;
  centre.y /= kGeneratorCount;
  centre.z /= kGeneratorCount;
  return centre;
}

std::vector<DistanceError> ErrorAgainstDistance(const DesignRecord& design, const PointResults& run) {
  const PlanePoint c = GeneratorCentre(design);
  std::vector<DistanceError> points;
  for (const PointResult& row : run.rows) {
    if (!std::isfinite(row.error_m)) continue;
    const double dx = row.true_x - c.x;
    const double dy = row.true_y - c.y;
    const double dz = row.true_z - c.z;
    points.push_back({std::sqrt(dx * dx + dy * dy + dz * dz), row.error_m});
  }
  return points;
}

int HistogramBins(int values) {
  if (values <= 1) return 1;
  return std::min(50, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(values)))));
}

ErrorHistogram MakeErrorHistogram(const PointResults& run, int bins) {
  ErrorHistogram histogram;
  histogram.counts.assign(static_cast<std::size_t>(std::max(bins, 1)), 0);
  bool any = false;
  double high = 0.0;
  for (const PointResult& row : run.rows) {
    if (!std::isfinite(row.error_m)) {
      ++histogram.missing;
      continue;
    }
    histogram.low_m = any ? std::min(histogram.low_m, row.error_m) : row.error_m;
    high = any ? std::max(high, row.error_m) : row.error_m;
    any = true;
  }
  const int n = static_cast<int>(histogram.counts.size());
  histogram.bin_width_m = (high - histogram.low_m) / n;
  for (const PointResult& row : run.rows) {
    if (!std::isfinite(row.error_m)) continue;
    int bin = 0;
    if (histogram.bin_width_m > 0.0) {
      bin = std::min(n - 1, static_cast<int>((row.error_m - histogram.low_m) / histogram.bin_width_m));
    }
    ++histogram.counts[static_cast<std::size_t>(bin)];
  }
  return histogram;
}

std::vector<SweepSeries> SweepPlotSeries(const std::vector<SweepRow>& rows) {
  const bool monte_carlo = std::any_of(rows.begin(), rows.end(), [](const SweepRow& r) { return r.has_monte_carlo; });
  std::vector<SweepSeries> series = {{"Max error", {}}, {"RMS error", {}}};
  if (monte_carlo) {
    series.push_back({"Max trueness", {}});
    series.push_back({"Max precision", {}});
  }
  const auto add = [](SweepSeries& s, double x, double metres) {
    if (std::isfinite(x) && std::isfinite(metres)) s.points.emplace_back(x, metres * 1000.0);
  };
  for (const SweepRow& row : rows) {
    if (row.values.empty()) continue;
    const double x = row.values.front();
    add(series[0], x, row.errors.max_error_m);
    add(series[1], x, row.errors.rms_error_m);
    if (monte_carlo && row.has_monte_carlo) {
      add(series[2], x, row.monte_carlo.max_trueness_m);
      add(series[3], x, row.monte_carlo.max_precision_m);
    }
  }
  return series;
}

int SweepRowsWithFailures(const std::vector<SweepRow>& rows) {
  return static_cast<int>(
      std::count_if(rows.begin(), rows.end(), [](const SweepRow& row) { return row.errors.failed_points > 0; }));
}

std::string SweepCsv(const SweepOptions& options, const std::vector<SweepRow>& rows) {
  std::string text = SweepCsvHeader(options);
  for (const SweepRow& row : rows) text += SweepCsvLine(row);
  return text;
}

}  // namespace orvendi
