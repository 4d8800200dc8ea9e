#include "core/position/accuracy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/platform/progress.h"
#include "core/position/calculation.h"
#include "core/views/view_state.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

// A one-row grid along x at y = 0, z = 0.4 with the given number of points, marked as computed.
DesignRecord RowDesign(int points) {
  DesignRecord design = DefaultDesign();
  design.scan_x_from = 0.0;
  design.scan_x_to = 0.1 * (points - 1);
  design.scan_x_step = 0.1;
  design.scan_y_from = design.scan_y_to = 0.0;
  design.results_valid = 1;
  return design;
}

void Put(ResultBuffer& results, int i, double x, double y, double z) {
  double* slot = results.Slot(i, 0);
  slot[0] = x;
  slot[1] = y;
  slot[2] = z;
}

TEST(ComputePositionAccuracy, OnePointGivesItsDistanceTwice) {
  DesignRecord design = RowDesign(1);
  ResultBuffer results;
  Put(results, 0, 0.0 + 0.003, 0.0, 0.4 - 0.004);  // 5 mm off
  ComputePositionAccuracy(design, results);
  EXPECT_NEAR(design.max_error_m, 0.005, 1e-15);
  EXPECT_NEAR(design.rms_error_m, 0.005, 1e-15);
}

TEST(ComputePositionAccuracy, MaximumAndRootMeanSquare) {
  DesignRecord design = RowDesign(2);
  ResultBuffer results;
  Put(results, 0, 0.0, 0.003, 0.4);
  Put(results, 1, 0.1, 0.0, 0.4 + 0.004);
  ComputePositionAccuracy(design, results);
  EXPECT_NEAR(design.max_error_m, 0.004, 1e-15);
  EXPECT_NEAR(design.rms_error_m, std::sqrt((9e-6 + 16e-6) / 2), 1e-15);
}

TEST(ComputePositionAccuracy, NothingChangesWithoutResultsOrPoints) {
  DesignRecord design = RowDesign(2);
  design.results_valid = 0;
  design.max_error_m = 0.123;
  design.rms_error_m = 0.045;
  ResultBuffer results;
  Put(results, 0, 0.0, 0.0, 0.4);
  Put(results, 1, 0.1, 0.0, 0.4);
  ComputePositionAccuracy(design, results);
  EXPECT_EQ(design.max_error_m, 0.123);
  EXPECT_EQ(design.rms_error_m, 0.045);

  design.results_valid = 1;
  design.scan_plane = 3;  // no such plane: an empty grid
  ComputePositionAccuracy(design, results);
  EXPECT_EQ(design.max_error_m, 0.123);
  EXPECT_EQ(design.rms_error_m, 0.045);
}

TEST(ComputePositionAccuracy, APointWithoutAnEstimateMakesBothInfinite) {
  DesignRecord design = RowDesign(3);
  ResultBuffer results;  // every slot "no estimate"
  Put(results, 0, 0.0, 0.0, 0.4);
  Put(results, 2, 0.2, 0.0, 0.4);
  ComputePositionAccuracy(design, results);
  EXPECT_EQ(design.max_error_m, std::numeric_limits<double>::infinity());
  EXPECT_EQ(design.rms_error_m, std::numeric_limits<double>::infinity());

  // Only half an estimate is no estimate either.
  Put(results, 1, 0.1, std::numeric_limits<double>::quiet_NaN(), 0.4);
  ComputePositionAccuracy(design, results);
  EXPECT_EQ(design.max_error_m, std::numeric_limits<double>::infinity());
}

TEST(ComputePositionAccuracy, OverARunOfTheDefaultDesign) {
  // Real square coils, no noise, algorithm 1, the 6 x 6 grid at z = 0.4 m.
  DesignRecord design = DefaultDesign();
  ResultBuffer results;
  CalculationWork work;
  NoProgress progress;
  CalculateCommand(design, results, work, progress);
  ASSERT_EQ(design.results_valid, 1);

  double max_d = 0.0, sum_sq = 0.0;
  for (int j = 0; j <= 5; ++j) {
    for (int i = 0; i <= 5; ++i) {
      const double x = -0.25 + 0.1 * i, y = -0.25 + 0.1 * j, z = 0.4;
      const double* m = results.Slot(i, j);
      const double d = std::sqrt((m[0] - x) * (m[0] - x) + (m[1] - y) * (m[1] - y) + (m[2] - z) * (m[2] - z));
      // The 2 cm square coils differ from point dipoles by terms of order (side / distance)^2;
      // 0.4 m above the generators that keeps every estimate within half a millimetre.
      EXPECT_LT(d, 5e-4) << i << " " << j;
      max_d = std::max(max_d, d);
      sum_sq += d * d;
    }
  }
  ComputePositionAccuracy(design, results);
  std::printf("[ default run ] max %.6f m, rms %.6f m\n", design.max_error_m, design.rms_error_m);
  EXPECT_NEAR(design.max_error_m, max_d, 1e-12);
  EXPECT_NEAR(design.rms_error_m, std::sqrt(sum_sq / 36), 1e-12);
  // The real coils do show: the error is not rounding noise.
  EXPECT_GT(design.max_error_m, 1e-6);
}

}  // namespace
}  // namespace orvendi
