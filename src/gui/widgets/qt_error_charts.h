#pragma once

#include <string>
#include <vector>

#include "core/dialogs/analysis_requests.h"

class QChart;

namespace orvendi {

// The charts of the plot windows; the caller owns each. Their axes have ticks at round values
// and name their units; the figures' axes start at 0, and no axis of a quantity that cannot be
// negative reaches below 0.

// Each grid point's figure (mm, or the efficiency's ratio) against its distance from the
// generators' centre (m).
QChart* MakeErrorDistanceChart(const std::vector<DistanceError>& points, PlotQuantity quantity);

// How many points have a figure in each bin; the title counts the points without one.
QChart* MakeErrorHistogramChart(const ErrorHistogram& histogram, PlotQuantity quantity);

// Each series against the swept parameter, named with its unit; the title counts the values
// whose run had points without an estimate, which the error lines leave out. With `ratios` the
// parameter's axis is logarithmic with ticks at decades.
QChart* MakeSweepChart(const std::vector<SweepSeries>& series, const std::string& parameter, int rows_with_failures,
                       bool ratios = false);

}  // namespace orvendi
