#pragma once

#include <string>
#include <vector>

namespace orvendi {

// A plot axis: its range and its ticks, each at a round value with its label.
struct PlotTick {
  double value = 0.0;
  std::string label;
};
struct PlotScale {
  double low = 0.0;
  double high = 1.0;
  std::vector<PlotTick> ticks;  // from low to high, the ends included
};

// An axis over the values from `low` to `high` with a little room at the ends, so that points
// there stay clear of the frame, and with about `intervals` intervals of 1, 2 or 5 times a power of
// ten between ticks; the ends are ticks. A quantity that cannot be negative starts at 0. A zero
// or non-finite span gets a range around its value.
PlotScale NiceScale(double low, double high, bool non_negative, int intervals = 5);

// An axis over values above 0 drawn in ratios: its positions are the exponents of ten (a chart
// draws log10 of each value), its ends the whole decades that enclose the data, its ticks at the
// decades between, every second or further one where more than `most` intervals would be, each
// labelled with its value ("0.1", "1000", "1e+06"). Ends that are not finite values above 0 give
// the decade from 1 to 10.
PlotScale DecadeScale(double low, double high, int most = 10);

// `value` rounded to `digits` significant digits, without an exponent from 1e-4 to below 1e6
// ("0.977", "8.79", "1235", "0"), with one beyond ("1.23e-05").
std::string SignificantText(double value, int digits);

}  // namespace orvendi
