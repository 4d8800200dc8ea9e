#include "core/analysis/targets.h"
#include "core/dialogs/analysis_requests.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "core/design/number_text.h"

namespace orvendi {

namespace {

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

struct QuantityTexts {
  PlotQuantity quantity;
  const char* name;
  const char* axis;
};

constexpr QuantityTexts kQuantityTexts[] = {
    {PlotQuantity::kError, "Error of the last run", "Error (mm)"},
    {PlotQuantity::kTrueness, "Trueness (Monte Carlo)", "Trueness (mm)"},
    {PlotQuantity::kPrecision, "Precision (Monte Carlo)", "Precision (mm)"},
    {PlotQuantity::kBound, "Precision bound", "Precision bound (mm)"},
    {PlotQuantity::kEfficiency, "Efficiency (Monte Carlo)", "Efficiency (precision / bound)"},
};

const QuantityTexts& QuantityTextsOf(PlotQuantity quantity) {
  for (const QuantityTexts& texts : kQuantityTexts) {
    if (texts.quantity == quantity) return texts;
  }
  return kQuantityTexts[0];
}

}  // namespace

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

std::string MonteCarloSummaryText(const MonteCarloSummary& summary, const DesignRecord& design) {
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
  line("Largest error", Millimetres(summary.max_error_m));
  line("Failed estimates", std::to_string(summary.failed_estimates));
  line("Precision bound, largest", Millimetres(summary.max_bound_m));
  line("Precision bound, RMS", Millimetres(summary.rms_bound_m));
  line("Precision over bound, mean", Efficiency(summary.mean_efficiency));
  const std::string verdict = TargetsVerdict(design, summary.max_error_m, summary.rms_error_m);
  if (!verdict.empty()) line("Targets", verdict);
  return text;
}

std::string MonteCarloReportText(const std::string& design_name, const MonteCarloOptions& options,
                                 const MonteCarloSummary& summary, const DesignRecord& design) {
  return "Design: " + (design_name.empty() ? std::string("Untitled (not saved)") : design_name) + "\n" +
         "Seed: " + std::to_string(options.seed) + "\n" + MonteCarloSummaryText(summary, design);
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

std::vector<PlotQuantity> PlotQuantities(const MonteCarloResult* monte_carlo) {
  std::vector<PlotQuantity> list = {PlotQuantity::kError};
  if (monte_carlo == nullptr) return list;
  list.push_back(PlotQuantity::kTrueness);
  list.push_back(PlotQuantity::kPrecision);
  const bool bounds = std::any_of(monte_carlo->points.begin(), monte_carlo->points.end(),
                                  [](const MonteCarloPoint& p) { return !std::isnan(p.bound_m); });
  if (bounds) {
    list.push_back(PlotQuantity::kBound);
    list.push_back(PlotQuantity::kEfficiency);
  }
  return list;
}

std::string PlotQuantityName(PlotQuantity quantity) { return QuantityTextsOf(quantity).name; }

std::string PlotQuantityAxis(PlotQuantity quantity) { return QuantityTextsOf(quantity).axis; }

double PlotQuantityScale(PlotQuantity quantity) { return quantity == PlotQuantity::kEfficiency ? 1.0 : 1000.0; }

std::vector<PointFigure> PointFigures(const PointResults& run) {
  std::vector<PointFigure> figures;
  figures.reserve(run.rows.size());
  for (const PointResult& row : run.rows) figures.push_back({row.true_x, row.true_y, row.true_z, row.error_m});
  return figures;
}

std::vector<PointFigure> PointFigures(const std::vector<MonteCarloPoint>& points, PlotQuantity quantity) {
  std::vector<PointFigure> figures;
  figures.reserve(points.size());
  for (const MonteCarloPoint& p : points) {
    const double value = quantity == PlotQuantity::kTrueness     ? p.trueness_m
                         : quantity == PlotQuantity::kPrecision  ? p.precision_m
                         : quantity == PlotQuantity::kBound      ? p.bound_m
                         : quantity == PlotQuantity::kEfficiency ? p.efficiency
                                                                 : p.rms_error_m;
    figures.push_back({p.true_x, p.true_y, p.true_z, value});
  }
  return figures;
}

std::vector<DistanceError> FigureAgainstDistance(const DesignRecord& design, const std::vector<PointFigure>& figures) {
  const PlanePoint c = GeneratorCentre(design);
  std::vector<DistanceError> points;
  for (const PointFigure& f : figures) {
    if (!std::isfinite(f.value)) continue;
    const double dx = f.x - c.x;
    const double dy = f.y - c.y;
    const double dz = f.z - c.z;
    points.push_back({std::sqrt(dx * dx + dy * dy + dz * dz), f.value});
  }
  return points;
}

int HistogramBins(int values) {
  if (values <= 1) return 1;
  return std::min(50, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(values)))));
}

ErrorHistogram MakeHistogram(const std::vector<PointFigure>& figures, int bins) {
  ErrorHistogram histogram;
  histogram.counts.assign(static_cast<std::size_t>(std::max(bins, 1)), 0);
  bool any = false;
  double high = 0.0;
  for (const PointFigure& f : figures) {
    if (!std::isfinite(f.value)) {
      ++histogram.missing;
      continue;
    }
    histogram.low_m = any ? std::min(histogram.low_m, f.value) : f.value;
    high = any ? std::max(high, f.value) : f.value;
    any = true;
  }
  const int n = static_cast<int>(histogram.counts.size());
  histogram.bin_width_m = (high - histogram.low_m) / n;
  for (const PointFigure& f : figures) {
    if (!std::isfinite(f.value)) continue;
    int bin = 0;
    if (histogram.bin_width_m > 0.0) {
      bin = std::min(n - 1, static_cast<int>((f.value - histogram.low_m) / histogram.bin_width_m));
    }
    ++histogram.counts[static_cast<std::size_t>(bin)];
  }
  return histogram;
}

std::vector<HistogramBar> HistogramBars(const ErrorHistogram& histogram, double scale) {
  std::vector<HistogramBar> bars;
  const double low = histogram.low_m * scale;
  const double width = histogram.bin_width_m * scale;
  if (!(width > 0.0)) {
    const double half = low != 0.0 ? std::abs(low) * 0.05 : 0.5;
    const int count = histogram.counts.empty() ? 0 : histogram.counts.front();
    return {{std::max(0.0, low - half), low + half, count}};
  }
  for (std::size_t k = 0; k < histogram.counts.size(); ++k) {
    bars.push_back({low + width * static_cast<double>(k), low + width * static_cast<double>(k + 1), histogram.counts[k]});
  }
  return bars;
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
