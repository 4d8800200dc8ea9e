#include "core/design/round_half_away.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace orvendi {
namespace {

TEST(RoundHalfAway, HalvesGoAwayFromZero) {
  EXPECT_EQ(RoundHalfAway(2.5), 3);
  EXPECT_EQ(RoundHalfAway(-2.5), -3);
  EXPECT_EQ(RoundHalfAway(4.5), 5);
  EXPECT_EQ(RoundHalfAway(-0.5), -1);
  EXPECT_EQ(RoundHalfAway(0.5), 1);
}

TEST(RoundHalfAway, OtherValuesGoToTheNearestInteger) {
  EXPECT_EQ(RoundHalfAway(0.0), 0);
  EXPECT_EQ(RoundHalfAway(-0.0), 0);
  EXPECT_EQ(RoundHalfAway(4.4999), 4);
  EXPECT_EQ(RoundHalfAway(-4.4999), -4);
  EXPECT_EQ(RoundHalfAway(-0.49), 0);
  EXPECT_EQ(RoundHalfAway(199.6), 200);
  // A quotient a hair off the integer, as a scan range over its step gives.
  EXPECT_EQ(RoundHalfAway(0.5 / 0.1), 5);
  EXPECT_EQ(RoundHalfAway(4.999999999999999), 5);
}

TEST(RoundHalfAway, IsTheSumWithOneHalfTruncated) {
  // The largest double below 0.5 plus 0.5 rounds up to 1 in double arithmetic; the rule is the
  // sum truncated, not the mathematically nearest integer.
  EXPECT_EQ(RoundHalfAway(0.49999999999999994), 1);
  EXPECT_EQ(RoundHalfAway(-0.49999999999999994), -1);
}

TEST(RoundHalfAway, SaturatesInsteadOfOverflowing) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(RoundHalfAway(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(RoundHalfAway(kInf), kRoundSaturation);
  EXPECT_EQ(RoundHalfAway(-kInf), -kRoundSaturation);
  EXPECT_EQ(RoundHalfAway(1e300), kRoundSaturation);
  EXPECT_EQ(RoundHalfAway(-1e300), -kRoundSaturation);
  EXPECT_EQ(RoundHalfAway(static_cast<double>(INT_MAX) + 10.0), kRoundSaturation);
  EXPECT_EQ(RoundHalfAway(static_cast<double>(INT_MIN) - 10.0), -kRoundSaturation);
  EXPECT_EQ(RoundHalfAway(kRoundSaturation - 1.0), kRoundSaturation - 1);
  EXPECT_EQ(RoundHalfAway(-(kRoundSaturation - 1.0)), -(kRoundSaturation - 1));
  // The saturated value still leaves room to add a window centre without overflow.
  EXPECT_LT(kRoundSaturation, INT_MAX / 2);
}

}  // namespace
}  // namespace orvendi
