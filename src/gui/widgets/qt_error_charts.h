#pragma once

#include <string>
#include <vector>

#include "core/dialogs/analysis_requests.h"

class QChart;

namespace orvendi {

// The charts of the plot windows; the caller owns each.

// Each grid point's error (mm) against its distance from the generators' centre (m).
QChart* MakeErrorDistanceChart(const std::vector<DistanceError>& points);

// How many points have an error in each bin (bins labelled by their middle, in mm); the title
// counts the points without an estimate.
QChart* MakeErrorHistogramChart(const ErrorHistogram& histogram);

// Each series against the swept parameter, named with its unit; the title counts the values
// whose run had points without an estimate, which the error lines leave out.
QChart* MakeSweepChart(const std::vector<SweepSeries>& series, const std::string& parameter, int rows_with_failures);

}  // namespace orvendi
