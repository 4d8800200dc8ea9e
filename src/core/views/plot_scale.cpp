#include "core/views/plot_scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace orvendi {

namespace {

constexpr double kEndRoom = 0.02;
constexpr double kStepSlack = 1.1;

// The power of ten of a rounded value as printed with `digits` significant digits.
int DecimalExponent(double value, int digits) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits - 1);
  const std::string text(buffer, result.ptr);
  return std::stoi(text.substr(text.find('e') + 1));
}

std::string Chars(double value, std::chars_format format, int precision) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
  return std::string(buffer, result.ptr);
}

// The label of tick k * step, step = mantissa * 10^exponent with a mantissa of 1, 2 or 5.
std::string TickLabel(double k, double mantissa, int exponent) {
  if (k == 0.0) return "0";
  const double value = k * mantissa * std::pow(10.0, exponent);
  if (exponent >= -4 && exponent < 6) return Chars(value, std::chars_format::fixed, std::max(0, -exponent));
  const int digits = static_cast<int>(std::floor(std::log10(std::abs(k * mantissa)))) + 1;
  return Chars(value, std::chars_format::scientific, std::max(0, digits - 1));
}

// Where round steps do not fit the doubles (spans near the ends of their range).
PlotScale EndsOnly(double low, double high) {
  if (!std::isfinite(low) || !std::isfinite(high) || !(high > low)) {
    low = 0.0;
    high = 1.0;
  }
  PlotScale scale;
  scale.low = low;
  scale.high = high;
  scale.ticks = {{low, SignificantText(low, 3)}, {high, SignificantText(high, 3)}};
  return scale;
}

}  // namespace

PlotScale NiceScale(double low, double high, bool non_negative, int intervals) {
  if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0.0;
  if (low > high) std::swap(low, high);
  if (non_negative) {
    low = std::max(low, 0.0);
    high = std::max(high, 0.0);
  }
  // A span below the doubles' resolution at that size has no round steps inside it.
  if (!(high - low > 1e-12 * std::max(std::abs(low), std::abs(high)))) {
    const double tenth = std::abs(low) * 0.1;
    const double pad = tenth >= std::numeric_limits<double>::min() ? tenth : 1.0;
    high += pad;
    low -= pad;
  }
  // The room never takes an end across zero.
  const double room = (high - low) * kEndRoom;
  high = high <= 0.0 ? std::min(0.0, high + room) : high + room;
  low = low >= 0.0 ? std::max(0.0, low - room) : low - room;
  if (non_negative) low = 0.0;

  const double raw = (high - low) / std::max(intervals, 1);
  if (!std::isfinite(raw) || !(raw > 0.0)) return EndsOnly(low, high);
  int exponent = static_cast<int>(std::floor(std::log10(raw)));
  const double fraction = raw / std::pow(10.0, exponent);
  double mantissa = 10.0;
  for (const double m : {1.0, 2.0, 5.0}) {
    // A step a little short of the span / intervals adds an interval rather than doubling the step.
    if (fraction <= m * kStepSlack) {
      mantissa = m;
      break;
    }
  }
  if (mantissa == 10.0) {
    mantissa = 1.0;
    ++exponent;
  }
  const double step = mantissa * std::pow(10.0, exponent);
  // Tick indices rather than repeated sums, so that zero is exactly 0 and the labels never carry
  // the rounding of a sum.
  const double first = std::floor(low / step + 1e-9);
  const double last = std::ceil(high / step - 1e-9);
  PlotScale scale;
  if (!(step > 0.0) || !std::isfinite(last - first) || last - first > 4.0 * intervals + 4.0) {
    return EndsOnly(low, high);
  }
  for (double k = first; k <= last; k += 1.0) {
    scale.ticks.push_back({k == 0.0 ? 0.0 : k * step, TickLabel(k, mantissa, exponent)});
  }
  scale.low = scale.ticks.front().value;
  scale.high = scale.ticks.back().value;
  return scale;
}

PlotScale DecadeScale(double low, double high, int most) {
  if (!(std::isfinite(low) && std::isfinite(high) && low > 0.0 && high > 0.0)) low = high = 1.0;
  if (low > high) std::swap(low, high);
  // The decade test on the values themselves, so that a value of exactly 1000 ends at 10^3.
  const auto exponent_below = [](double value) {
    double k = std::floor(std::log10(value));
    if (std::pow(10.0, k) > value) k -= 1.0;
    return k;
  };
  const double first = exponent_below(low);
  double last = exponent_below(high);
  if (std::pow(10.0, last) < high || last == first) last += 1.0;
  const double step = std::ceil((last - first) / std::max(most, 1));
  PlotScale scale;
  const auto add = [&scale](double k) { scale.ticks.push_back({k, SignificantText(std::pow(10.0, k), 1)}); };
  for (double k = first; k < last; k += step) add(k);
  add(last);
  scale.low = scale.ticks.front().value;
  scale.high = scale.ticks.back().value;
  return scale;
}

std::string SignificantText(double value, int digits) {
  if (value == 0.0) return "0";
  if (!std::isfinite(value)) return Chars(value, std::chars_format::general, 6);
  const int exponent = DecimalExponent(value, digits);
  if (exponent >= -4 && exponent < 6) {
    return Chars(value, std::chars_format::fixed, std::max(0, digits - 1 - exponent));
  }
  return Chars(value, std::chars_format::scientific, digits - 1);
}

}  // namespace orvendi
