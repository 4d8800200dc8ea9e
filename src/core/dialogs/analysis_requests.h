#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/point_results.h"
#include "core/analysis/sweep.h"
#include "core/design/design_record.h"
#include "core/position/precision_bound.h"

namespace orvendi {

// The Monte Carlo dialog's entries as typed.
struct MonteCarloEntries {
  std::string runs;
  std::string seed;
};

inline constexpr int kDefaultMonteCarloRuns = 100;

// The options of the entries; empty with one message that names the entry at fault.
std::optional<MonteCarloOptions> ReadMonteCarloEntries(const MonteCarloEntries& entries, std::string& error);

// The overall figures of a Monte-Carlo run as its result dialog shows them: one "Name: value"
// line each, lengths in mm with six significant digits, "none" where no estimate gave a figure.
// With a target set in `design`, a last line says whether the largest error of any run and the
// RMS error meet the targets.
std::string MonteCarloSummaryText(const MonteCarloSummary& summary, const DesignRecord& design);
// The result dialog's whole text: which design (`design_name`, empty before the first save) and
// seed, then the summary, so that a copied result says what made it.
std::string MonteCarloReportText(const std::string& design_name, const MonteCarloOptions& options,
                                 const MonteCarloSummary& summary, const DesignRecord& design);

// The figures of a bound run as the window reports them, like MonteCarloSummaryText; a bound that
// blind spots make infinite reads "infinite".
std::string BoundSummaryText(const BoundSummary& summary);

// The middle of the three generators, from which the scatter plot measures distance.
struct PlanePoint {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};
PlanePoint GeneratorCentre(const DesignRecord& design);

// What the plots of the grid points show: the last run's error or, after a Monte-Carlo run of the
// design, a figure per point of it.
enum class PlotQuantity { kError, kTrueness, kPrecision, kBound, kEfficiency };
// The quantities offered: the error, and with a Monte-Carlo result the others (the bound and the
// efficiency where the result has them).
std::vector<PlotQuantity> PlotQuantities(const MonteCarloResult* monte_carlo);
// "Error of the last run", "Trueness (Monte Carlo)", ...
std::string PlotQuantityName(PlotQuantity quantity);
// The axis title with its unit: "Error (mm)", ..., "Efficiency (precision / bound)".
std::string PlotQuantityAxis(PlotQuantity quantity);
// The factor from the figure to the axis: 1000 for lengths (m to mm), 1 for the efficiency.
double PlotQuantityScale(PlotQuantity quantity);

// A grid point's true position and its figure (metres, or the efficiency's ratio; not finite where
// the point has none).
struct PointFigure {
  double x = 0.0, y = 0.0, z = 0.0;
  double value = 0.0;
};
std::vector<PointFigure> PointFigures(const PointResults& run);
std::vector<PointFigure> PointFigures(const std::vector<MonteCarloPoint>& points, PlotQuantity quantity);

// One point of the scatter plot: a grid point's distance from the generators' centre and its
// figure.
struct DistanceError {
  double distance_m = 0.0;
  double figure = 0.0;
};
// The points with a finite figure, in grid order.
std::vector<DistanceError> FigureAgainstDistance(const DesignRecord& design, const std::vector<PointFigure>& figures);
inline std::vector<DistanceError> ErrorAgainstDistance(const DesignRecord& design, const PointResults& run) {
  return FigureAgainstDistance(design, PointFigures(run));
}

// Counts of the finite figures in `bins` equal bins from the smallest to the largest (the
// largest in the last bin); points without one counted apart.
struct ErrorHistogram {
  double low_m = 0.0;
  double bin_width_m = 0.0;  // 0 when every figure is the same, all then in the one bin
  std::vector<int> counts;
  int missing = 0;
};
// ceil(sqrt(n)) bins, 1 to 50.
int HistogramBins(int values);
ErrorHistogram MakeHistogram(const std::vector<PointFigure>& figures, int bins);
inline ErrorHistogram MakeErrorHistogram(const PointResults& run, int bins) {
  return MakeHistogram(PointFigures(run), bins);
}
// The histogram's bars on the axis, the figures times `scale`; the one bar of figures that are all
// the same gets a width of its own, and no bar reaches below 0.
struct HistogramBar {
  double left = 0.0;
  double right = 0.0;
  int count = 0;
};
std::vector<HistogramBar> HistogramBars(const ErrorHistogram& histogram, double scale);

// A line of the sweep plot: the parameter's value against a figure in mm, rows without a finite
// figure left out.
struct SweepSeries {
  std::string name;  // "Max error", "RMS error", "Max trueness", "Max precision"
  std::vector<std::pair<double, double>> points;
};
// Max and RMS error of run 1 and, when the sweep made more than one run, the largest trueness
// and precision.
std::vector<SweepSeries> SweepPlotSeries(const std::vector<SweepRow>& rows);
// The rows whose run 1 had points without an estimate: their max and RMS error are infinite.
int SweepRowsWithFailures(const std::vector<SweepRow>& rows);

// The CSV text of a whole sweep, as orvendi-cli's sweep writes it.
std::string SweepCsv(const SweepOptions& options, const std::vector<SweepRow>& rows);

}  // namespace orvendi
