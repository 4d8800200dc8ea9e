#include <gtest/gtest.h>

#include <string>

#include "core/analysis/sweep.h"

namespace orvendi {
namespace {

TEST(SweepLogAxisTest, ValuesInEvenRatiosEndingExactlyAndOnlyAboveZero) {
  std::string error;
  const std::optional<SweepAxis> axis = ParseSweepAxis("frequency_hz=10:100000:5:log", error);
  ASSERT_TRUE(axis) << error;
  const double expected[] = {10.0, 100.0, 1000.0, 10000.0, 100000.0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(SweepAxisValue(*axis, i), expected[i]) << i;
  for (const char* bad : {"frequency_hz=0:10:3:log", "frequency_hz=-1:10:3:log", "frequency_hz=1:10:3:lin"}) {
    error.clear();
    EXPECT_FALSE(ParseSweepAxis(bad, error)) << bad;
    EXPECT_NE(error.find(bad), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace orvendi
