#include "core/analysis/volume.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/platform/progress.h"
#include "core/position/calculation.h"
#include "support/default_design.h"
#include "support/fake_progress.h"
#include "support/thread_count.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

bool SameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// A small volume with noise, so that the noise sequence of each plane matters.
DesignRecord SmallVolume(int plane) {
  DesignRecord design = DefaultDesign();
  design.noise_peak_v = 1e-5;
  design.scan_plane = plane;
  design.scan_x_from = -0.2, design.scan_x_to = 0.2, design.scan_x_step = 0.1;
  design.scan_y_from = -0.2, design.scan_y_to = 0.2, design.scan_y_step = 0.2;
  design.scan_z_from = 0.2, design.scan_z_to = 0.5, design.scan_z_step = 0.15;
  return design;
}

PointResults SinglePlane(const DesignRecord& design) {
  DesignRecord copy = design;
  ResultBuffer results;
  CalculationWork work;
  NoProgress progress;
  CalculateCommand(copy, results, work, progress);
  return CollectPointResults(copy, results);
}

class VolumePlanes : public ::testing::TestWithParam<int> {};

TEST_P(VolumePlanes, EachPlaneIsTheSingleCalculationOfThatPlaneBitForBit) {
  const DesignRecord design = SmallVolume(GetParam());
  const std::vector<double> positions = VolumePlanePositions(design);
  VolumeResult volume;
  NoProgress progress;
  ASSERT_TRUE(RunVolumeCalculation(design, progress, volume));
  ASSERT_EQ(volume.planes.size(), positions.size());
  ASSERT_GE(positions.size(), 3u);
  for (std::size_t p = 0; p < positions.size(); ++p) {
    const PointResults single = SinglePlane(PlaneDesign(design, positions[p]));
    const PointResults& plane = volume.planes[p].points;
    EXPECT_TRUE(SameBits(plane.summary.max_error_m, single.summary.max_error_m)) << "plane " << p;
    EXPECT_TRUE(SameBits(plane.summary.rms_error_m, single.summary.rms_error_m)) << "plane " << p;
    EXPECT_EQ(plane.summary.failed_points, single.summary.failed_points);
    ASSERT_EQ(plane.rows.size(), single.rows.size());
    for (std::size_t i = 0; i < single.rows.size(); ++i) {
      EXPECT_TRUE(SameBits(plane.rows[i].est_x, single.rows[i].est_x));
      EXPECT_TRUE(SameBits(plane.rows[i].true_x, single.rows[i].true_x));
      EXPECT_TRUE(SameBits(plane.rows[i].true_z, single.rows[i].true_z));
    }
  }
}

TEST_P(VolumePlanes, SameNumbersOnOneThreadAndMany) {
  const DesignRecord design = SmallVolume(GetParam());
  VolumeResult one;
  VolumeResult many;
  NoProgress progress;
  {
    testing::ThreadCount threads(1);
    ASSERT_TRUE(RunVolumeCalculation(design, progress, one));
  }
  {
    testing::ThreadCount threads(3);
    ASSERT_TRUE(RunVolumeCalculation(design, progress, many));
  }
  EXPECT_TRUE(SameBits(one.summary.rms_error_m, many.summary.rms_error_m));
  EXPECT_TRUE(SameBits(one.summary.p95_error_m, many.summary.p95_error_m));
  for (std::size_t p = 0; p < one.planes.size(); ++p)
    EXPECT_TRUE(SameBits(one.planes[p].points.summary.rms_error_m, many.planes[p].points.summary.rms_error_m));
}

INSTANTIATE_TEST_SUITE_P(EveryScanPlane, VolumePlanes, ::testing::Values(0, 1, 2));

TEST(Volume, PlanesRunAlongTheThirdAxisAndMoveOnlyItsPlaneValue) {
  struct Case {
    int plane;
    double first, last;
    std::size_t count;
  };
  for (const Case c : {Case{0, 0.2, 0.5, 3}, Case{1, -0.2, 0.2, 5}, Case{2, -0.2, 0.2, 3}}) {
    const DesignRecord design = SmallVolume(c.plane);
    const std::vector<double> positions = VolumePlanePositions(design);
    ASSERT_EQ(positions.size(), c.count) << "plane " << c.plane;
    EXPECT_DOUBLE_EQ(positions.front(), c.first);
    EXPECT_NEAR(positions.back(), c.last, 1e-12);
    const DesignRecord moved = PlaneDesign(design, 0.125);
    const double plane_values[] = {moved.scan_plane_x, moved.scan_plane_y, moved.scan_plane_z};
    EXPECT_EQ(plane_values[VolumeAxis(c.plane)], 0.125);
    EXPECT_EQ(moved.scan_plane, design.scan_plane);
  }
}

TEST(Volume, CancelLeavesTheResultAsItWas) {
  const DesignRecord design = SmallVolume(0);
  VolumeResult result;
  result.summary.points = -7;
  testing::FakeProgress progress;
  progress.cancel_after = 2;
  EXPECT_FALSE(RunVolumeCalculation(design, progress, result));
  EXPECT_EQ(result.summary.points, -7);
  EXPECT_TRUE(result.planes.empty());

  BoundVolume bound;
  testing::FakeProgress bound_progress;
  bound_progress.cancel_after = 1;
  EXPECT_FALSE(RunVolumeBound(design, bound_progress, bound));
  EXPECT_TRUE(bound.planes.empty());
}

PointResult Row(double error) {
  PointResult row;
  if (std::isnan(error)) {
    row.est_x = row.est_y = row.est_z = row.error_m = error;
  } else {
    row.est_x = error;
    row.error_m = error;
  }
  return row;
}

TEST(Volume, WholeFiguresCountFailedPointsAsInfinitelyFarOff) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    std::vector<std::vector<double>> planes;
    double max, rms, p95;
    int worst, failed;
  };
  const Case cases[] = {
      {{{3, 4}, {0, 0}}, 4, std::sqrt(25.0 / 4), 4, 0, 0},
      {{{1}, {2}, {2}}, 2, std::sqrt(9.0 / 3), 2, 1, 0},
      {{{1, 1}, {1, nan}}, inf, inf, inf, 1, 1},
      {{}, nan, nan, nan, -1, 0},
  };
  for (const Case& c : cases) {
    std::vector<VolumePlane> planes;
    for (const std::vector<double>& errors : c.planes) {
      VolumePlane plane;
      plane.points.summary.max_error_m = 0;
      for (double e : errors) {
        plane.points.rows.push_back(Row(e));
        plane.points.summary.max_error_m =
            std::isnan(e) ? inf : std::max(plane.points.summary.max_error_m, e);
        plane.points.summary.failed_points += std::isnan(e) ? 1 : 0;
      }
      planes.push_back(plane);
    }
    const VolumeSummary s = SummariseVolume(planes, 2);
    EXPECT_TRUE(SameBits(s.max_error_m, c.max) || (std::isnan(c.max) && std::isnan(s.max_error_m)));
    EXPECT_TRUE(SameBits(s.rms_error_m, c.rms) || (std::isnan(c.rms) && std::isnan(s.rms_error_m)));
    EXPECT_TRUE(SameBits(s.p95_error_m, c.p95) || (std::isnan(c.p95) && std::isnan(s.p95_error_m)));
    EXPECT_EQ(s.worst_plane, c.worst);
    EXPECT_EQ(s.failed_points, c.failed);
  }
}

TEST(Volume, PlaneIndexedCsvKeepsOneHeaderAndNumbersEveryRow) {
  EXPECT_EQ(PlaneIndexedCsv({"a,b\n1,2\n3,4\n", "a,b\n5,6\n"}), "plane_index,a,b\n0,1,2\n0,3,4\n1,5,6\n");
  EXPECT_EQ(PlaneIndexedCsv({}), "");
}

}  // namespace
}  // namespace orvendi
