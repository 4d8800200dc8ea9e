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

// A design value the Sweep dialog offers: its name with its unit as the list shows it, and the
// design-file key the sweep sets, so that orvendi-cli's sweep over the key gives the same rows.
struct SweepParameter {
  std::string name;  // "Frequency (Hz)"
  std::string key;   // "frequency_hz"
};

// In the order of the list.
const std::vector<SweepParameter>& SweepParameters();

// The Monte Carlo dialog's entries as typed.
struct MonteCarloEntries {
  std::string runs;
  std::string seed;
};

inline constexpr int kDefaultMonteCarloRuns = 100;

// The options of the entries; empty with one message that names the entry at fault.
std::optional<MonteCarloOptions> ReadMonteCarloEntries(const MonteCarloEntries& entries, std::string& error);

// The Sweep dialog's entries as typed, and the chosen row of SweepParameters().
struct SweepEntries {
  int parameter = 0;
  std::string from;
  std::string to;
  std::string count;
  std::string runs = "1";
  std::string seed = "1";
};

// A one-axis sweep of the chosen parameter; empty with one message that names the entry at
// fault: a parameter outside the list, a from or to that is no number or not finite, a count that
// is no whole number or below 1, from equal to to with more than one value, runs or seed out of
// range.
std::optional<SweepOptions> ReadSweepEntries(const SweepEntries& entries, std::string& error);

// The overall figures of a Monte-Carlo run as its result dialog shows them: one "Name: value"
// line each, lengths in mm with six significant digits, "none" where no estimate gave a figure.
std::string MonteCarloSummaryText(const MonteCarloSummary& summary);

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

// One point of the scatter plot: a grid point's distance from the generators' centre and its
// error, in metres.
struct DistanceError {
  double distance_m = 0.0;
  double error_m = 0.0;
};
// The points of the last run with a finite error, in grid order.
std::vector<DistanceError> ErrorAgainstDistance(const DesignRecord& design, const PointResults& run);

// Counts of the finite errors in `bins` equal bins from the smallest to the largest (the
// largest in the last bin); points without one counted apart.
struct ErrorHistogram {
  double low_m = 0.0;
  double bin_width_m = 0.0;  // 0 when every error is the same, all then in the one bin
  std::vector<int> counts;
  int missing = 0;
};
// ceil(sqrt(n)) bins, 1 to 50.
int HistogramBins(int values);
ErrorHistogram MakeErrorHistogram(const PointResults& run, int bins);

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
