#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace orvendi::testing {

// Whether `actual` shows as `printed` when rounded to the digits printed there: "1.96069e-5" accepts
// 1.960685e-5 .. 1.960695e-5. A number quoted to six digits is thus checked to six digits.
inline ::testing::AssertionResult MatchesPrinted(double actual, const char* printed) {
  const char* end = printed + std::strlen(printed);
  double expected = 0.0;
  const auto parsed = std::from_chars(printed, end, expected);
  if (parsed.ec != std::errc() || parsed.ptr != end) {
    return ::testing::AssertionFailure() << "cannot read \"" << printed << "\"";
  }
  // Place of the last printed digit: digits after the point, shifted by the exponent.
  const char* exponent = std::strpbrk(printed, "eE");
  const char* mantissa_end = exponent != nullptr ? exponent : end;
  const char* point = std::strchr(printed, '.');
  int decimals = 0;
  if (point != nullptr && point < mantissa_end) decimals = static_cast<int>(mantissa_end - point - 1);
  const int power = exponent != nullptr ? std::atoi(exponent + 1) : 0;
  const double half_unit = 0.5 * std::pow(10.0, power - decimals);
  // A little room for the decimal reading of the bounds themselves.
  if (std::fabs(actual - expected) <= half_unit * (1 + 1e-9)) return ::testing::AssertionSuccess();
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", actual);
  return ::testing::AssertionFailure() << text << " does not round to " << printed;
}

// |actual - expected| <= tolerance * |expected|.
inline ::testing::AssertionResult RelativelyNear(double actual, double expected, double tolerance) {
  if (std::fabs(actual - expected) <= tolerance * std::fabs(expected)) return ::testing::AssertionSuccess();
  char text[128];
  std::snprintf(text, sizeof text, "%.17g differs from %.17g by more than %g relative", actual, expected,
                tolerance);
  return ::testing::AssertionFailure() << text;
}

}  // namespace orvendi::testing
