#include "core/views/plot_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace orvendi {
namespace {

struct ScaleCase {
  const char* what;
  double low, high;
  bool non_negative;
  std::vector<std::string> labels;
};

// Ticks at round values that cover the data; a quantity that cannot be negative starts at 0.
TEST(PlotScale, TicksAtRoundValuesCoverTheDataWithZeroExact) {
  const std::vector<ScaleCase> cases = {
      {"errors in mm", 0.976562, 8.78906, true, {"0", "2", "4", "6", "8", "10"}},
      {"sum that misses zero", -2.77556e-17, 1.0, false, {"-0.2", "0", "0.2", "0.4", "0.6", "0.8", "1.0", "1.2"}},
      {"data from 0 keeps 0 as the end", 0.0, 1.0, false, {"0", "0.2", "0.4", "0.6", "0.8", "1.0", "1.2"}},
      {"negative values of a quantity that cannot be", -1.0, 3.0, true, {"0", "1", "2", "3", "4"}},
      {"all one value", 0.5, 0.5, false, {"0.44", "0.46", "0.48", "0.50", "0.52", "0.54", "0.56"}},
      {"tiny lengths", 1e-9, 3e-9, true, {"0", "1e-09", "2e-09", "3e-09", "4e-09"}},
      {"large counts", 0.0, 12345.0, true, {"0", "5000", "10000", "15000"}},
      {"negative sweep values", -0.45, -0.15, false, {"-0.5", "-0.4", "-0.3", "-0.2", "-0.1"}},
      {"across zero", -1.0, 1.0, false, {"-1.5", "-1.0", "-0.5", "0", "0.5", "1.0", "1.5"}},
  };
  for (const ScaleCase& c : cases) {
    const PlotScale scale = NiceScale(c.low, c.high, c.non_negative);
    std::vector<std::string> labels;
    for (const PlotTick& tick : scale.ticks) labels.push_back(tick.label);
    EXPECT_EQ(labels, c.labels) << c.what;
    EXPECT_EQ(scale.low, scale.ticks.front().value) << c.what;
    EXPECT_EQ(scale.high, scale.ticks.back().value) << c.what;
    EXPECT_GE(scale.high, c.high) << c.what;
  }
}

// Spans no round step fits (beyond the doubles' range or resolution) end without a hang.
TEST(PlotScale, ValuesBeyondRoundStepsStillGiveTwoEnds) {
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto& [low, high] : std::vector<std::pair<double, double>>{
           {-1e308, 1e308}, {0.0, inf}, {5e-324, 5e-324}, {1.0, 1.0 + 2e-16}, {1e300, 1e300}}) {
    const PlotScale scale = NiceScale(low, high, false);
    EXPECT_TRUE(scale.ticks.size() >= 2 && scale.ticks.size() <= 30 && scale.low < scale.high) << low;
    EXPECT_TRUE(std::isfinite(scale.low) && std::isfinite(scale.high)) << low;
  }
}

// Log axes: positions are exponents, ends the enclosing decades, labels the decades' values.
TEST(PlotScale, DecadeTicksEncloseTheValuesLabelledWithTheirValues) {
  const std::vector<std::tuple<double, double, std::vector<std::string>>> cases = {
      {10.0, 1e5, {"10", "100", "1000", "10000", "100000"}},
      {0.2, 0.003, {"0.001", "0.01", "0.1", "1"}},
      {1000.0, 1000.0, {"1000", "10000"}},
      {150.0, 160.0, {"100", "1000"}},
      {1e-3, 1e9, {"0.001", "0.1", "10", "1000", "100000", "1e+07", "1e+09"}},  // every second
      {0.0, std::nan(""), {"1", "10"}},
  };
  for (const auto& [low, high, labels] : cases) {
    const PlotScale scale = DecadeScale(low, high);
    std::vector<std::string> shown;
    for (const PlotTick& tick : scale.ticks) shown.push_back(tick.label);
    EXPECT_EQ(shown, labels) << low;
    EXPECT_EQ(scale.low, std::round(std::log10(std::stod(labels.front())))) << low;
    EXPECT_EQ(scale.high, std::round(std::log10(std::stod(labels.back())))) << low;
  }
}

TEST(PlotScale, SignificantDigits) {
  const std::vector<std::pair<double, std::string>> cases = {
      {0.9765625, "0.977"}, {8.7890625, "8.79"},      {0.0, "0"},           {9.996, "10.0"},   {1234.6, "1235"},
      {1.5, "1.50"},        {-0.012345, "-0.0123"}, {1.2345e-5, "1.23e-05"}, {2.5e7, "2.50e+07"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(SignificantText(value, 3), text) << value;
}

}  // namespace
}  // namespace orvendi
