#include "core/position/scan_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

#include "core/design/design_record.h"
#include "core/platform/host.h"
#include "core/views/view_state.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

std::vector<ScanPoint> Traverse(const DesignRecord& design, bool along_first) {
  ScanState scan;
  ScanStart(scan, design);
  std::vector<ScanPoint> points;
  ScanPoint p;
  while (along_first ? ScanNextAlongFirst(scan, p) : ScanNextAlongSecond(scan, p)) {
    points.push_back(p);
    if (points.size() > 20000) break;  // a runaway traversal fails below instead of hanging
  }
  return points;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Both orders hand out every index pair once, with bit-identical coordinates.
void ExpectOrdersAgree(const DesignRecord& design) {
  const std::vector<ScanPoint> first = Traverse(design, true);
  const std::vector<ScanPoint> second = Traverse(design, false);
  ASSERT_EQ(first.size(), second.size());
  ScanState scan;
  ScanStart(scan, design);
  const int columns = scan.first_count + 1;
  const int rows = scan.second_count + 1;
  ASSERT_EQ(first.size(), static_cast<size_t>(columns) * rows);
  for (const ScanPoint& a : first) {
    // Second-axis-fastest order puts pair (i, j) at i * rows + j.
    const ScanPoint& b = second[static_cast<size_t>(a.first_index) * rows + a.second_index];
    ASSERT_EQ(b.first_index, a.first_index);
    ASSERT_EQ(b.second_index, a.second_index);
    ASSERT_TRUE(SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z))
        << "pair " << a.first_index << ", " << a.second_index;
  }
}

TEST(ScanGrid, DefaultGridHasSixBySixPoints) {
  const DesignRecord design = DefaultDesign();
  ScanState scan;
  ScanStart(scan, design);
  EXPECT_EQ(scan.first_count, 5);
  EXPECT_EQ(scan.second_count, 5);
  EXPECT_EQ(ScanStepCounts(scan, 0), std::make_pair(5, 5));
  EXPECT_EQ(ScanStepCounts(scan, 1), std::make_pair(5, 5));
  EXPECT_EQ(ScanStepCounts(scan, 2), std::make_pair(5, 5));
  EXPECT_EQ(Traverse(design, true).size(), 36u);
  EXPECT_EQ(Traverse(design, false).size(), 36u);
}

TEST(ScanGrid, FirstAndSecondPointsOfEachOrder) {
  const DesignRecord design = DefaultDesign();
  const std::vector<ScanPoint> first = Traverse(design, true);
  const std::vector<ScanPoint> second = Traverse(design, false);
  for (const auto* points : {&first, &second}) {
    const ScanPoint& p = (*points)[0];
    EXPECT_EQ(p.x, -0.25);
    EXPECT_EQ(p.y, -0.25);
    EXPECT_EQ(p.z, 0.4);
    EXPECT_EQ(p.first_index, 0);
    EXPECT_EQ(p.second_index, 0);
  }
  EXPECT_EQ(first[1].x, -0.25 + 0.1);
  EXPECT_EQ(first[1].y, -0.25);
  EXPECT_EQ(first[1].first_index, 1);
  EXPECT_EQ(first[1].second_index, 0);
  EXPECT_EQ(second[1].x, -0.25);
  EXPECT_EQ(second[1].y, -0.25 + 0.1);
  EXPECT_EQ(second[1].first_index, 0);
  EXPECT_EQ(second[1].second_index, 1);
}

TEST(ScanGrid, CoordinatesAreAccumulatedStepByStep) {
  const std::vector<ScanPoint> points = Traverse(DefaultDesign(), true);
  const double expected[] = {-0.25, -0.15, -0.04999999999999999, 0.05000000000000002, 0.15000000000000002,
                             0.25};
  for (int row = 0; row < 6; ++row) {
    for (int i = 0; i < 6; ++i) {
      const ScanPoint& p = points[6 * row + i];
      EXPECT_EQ(p.x, expected[i]) << "row " << row << " point " << i;
      EXPECT_EQ(p.first_index, i);
      EXPECT_EQ(p.second_index, row);
    }
    // y advances by the same additions.
    EXPECT_EQ(points[6 * row].y, expected[row]);
  }
  // Not the decimal values from + index * step would give.
  EXPECT_NE(points[2].x, -0.05);
}

TEST(ScanGrid, BothOrdersGiveBitIdenticalCoordinatesForEveryPair) {
  DesignRecord design = DefaultDesign();
  ExpectOrdersAgree(design);
  design.scan_x_from = -0.333;
  design.scan_x_to = 0.41;
  design.scan_x_step = 0.0071;
  design.scan_y_from = 0.013;
  design.scan_y_to = 0.9;
  design.scan_y_step = 0.0123;
  for (int plane = 0; plane < 3; ++plane) {
    design.scan_plane = plane;
    ExpectOrdersAgree(design);
  }
}

TEST(ScanGrid, YZPlaneKeepsXAndRunsYFastest) {
  DesignRecord design = DefaultDesign();
  design.scan_plane = 1;
  design.scan_plane_x = 0.07;
  const std::vector<ScanPoint> points = Traverse(design, true);
  ASSERT_EQ(points.size(), 36u);
  for (const ScanPoint& p : points) EXPECT_EQ(p.x, 0.07);
  EXPECT_EQ(points[0].y, -0.25);
  EXPECT_EQ(points[0].z, 0.1);
  EXPECT_EQ(points[1].y, -0.15);
  EXPECT_EQ(points[1].z, 0.1);
  EXPECT_EQ(points[6].y, -0.25);
  EXPECT_EQ(points[6].z, 0.1 + 0.1);
  EXPECT_EQ(points[6].second_index, 1);
}

TEST(ScanGrid, ZXPlaneRunsZFirstAndKeepsY) {
  DesignRecord design = DefaultDesign();
  design.scan_plane = 2;
  design.scan_x_to = 0.05;  // 3 steps along x, the second axis
  const std::vector<ScanPoint> points = Traverse(design, true);
  ASSERT_EQ(points.size(), 6u * 4u);
  for (const ScanPoint& p : points) EXPECT_EQ(p.y, 0.0);  // scan_plane_y, never set by the defaults
  EXPECT_EQ(points[0].z, 0.1);
  EXPECT_EQ(points[0].x, -0.25);
  EXPECT_EQ(points[1].z, 0.1 + 0.1);
  EXPECT_EQ(points[1].x, -0.25);
  EXPECT_EQ(points[6].z, 0.1);
  EXPECT_EQ(points[6].x, -0.15);
  EXPECT_EQ(points.back().first_index, 5);
  EXPECT_EQ(points.back().second_index, 3);
}

TEST(ScanGrid, ARangeOfZeroLengthHasOnePoint) {
  DesignRecord design = DefaultDesign();
  design.scan_x_from = design.scan_x_to = 0.12;
  ScanState scan;
  ScanStart(scan, design);
  EXPECT_EQ(scan.first_count, 0);
  const std::vector<ScanPoint> points = Traverse(design, true);
  ASSERT_EQ(points.size(), 6u);
  for (const ScanPoint& p : points) {
    EXPECT_EQ(p.x, 0.12);
    EXPECT_EQ(p.first_index, 0);
  }
  design.scan_y_from = design.scan_y_to = -0.3;
  EXPECT_EQ(Traverse(design, true).size(), 1u);
  EXPECT_EQ(Traverse(design, false).size(), 1u);
}

TEST(ScanGrid, AHundredStepsGiveAHundredAndOnePointsWithSlotsOfTheirOwn) {
  DesignRecord design = DefaultDesign();
  design.scan_x_from = 0.0;
  design.scan_x_to = 1.0;
  design.scan_x_step = 0.01;
  design.scan_y_from = -0.5;
  design.scan_y_to = 0.5;
  design.scan_y_step = 0.01;
  ScanState scan;
  ScanStart(scan, design);
  EXPECT_EQ(scan.first_count, 100);
  EXPECT_EQ(scan.second_count, 100);
  ExpectOrdersAgree(design);

  // Every point writes its own slot; reading back finds every value intact.
  ResultBuffer buffer;
  const std::vector<ScanPoint> points = Traverse(design, true);
  ASSERT_EQ(points.size(), 101u * 101u);
  std::set<const double*> slots;
  for (const ScanPoint& p : points) {
    double* slot = buffer.Slot(p.first_index, p.second_index);
    ASSERT_NE(slot, nullptr);
    slots.insert(slot);
    slot[0] = p.x;
    slot[1] = p.y;
    slot[2] = 1000.0 * p.first_index + p.second_index;
  }
  EXPECT_EQ(slots.size(), points.size());
  for (const ScanPoint& p : points) {
    const double* slot = static_cast<const ResultBuffer&>(buffer).Slot(p.first_index, p.second_index);
    EXPECT_EQ(slot[0], p.x);
    EXPECT_EQ(slot[1], p.y);
    EXPECT_EQ(slot[2], 1000.0 * p.first_index + p.second_index);
  }
}

TEST(ScanGrid, TheResultBufferRefusesPairsOutsideIt) {
  ResultBuffer buffer;
  EXPECT_EQ(buffer.Slot(101, 0), nullptr);
  EXPECT_EQ(buffer.Slot(0, 101), nullptr);
  EXPECT_EQ(buffer.Slot(-1, 0), nullptr);
  EXPECT_EQ(buffer.Slot(0, -1), nullptr);
  ASSERT_NE(buffer.Slot(100, 100), nullptr);
  EXPECT_EQ(buffer.Slot(100, 100) - buffer.Slot(0, 0), 3 * (101 * 100 + 100));
  // Fresh and cleared slots hold "no estimate".
  EXPECT_TRUE(std::isnan(buffer.Slot(100, 100)[2]));
  buffer.Slot(3, 4)[0] = 1.0;
  buffer.Clear();
  EXPECT_TRUE(std::isnan(buffer.Slot(3, 4)[0]));
}

TEST(ScanGrid, ExhaustionLastsUntilTheNextStart) {
  const DesignRecord design = DefaultDesign();
  for (bool along_first : {true, false}) {
    ScanState scan;
    ScanStart(scan, design);
    ScanPoint p;
    int n = 0;
    while (along_first ? ScanNextAlongFirst(scan, p) : ScanNextAlongSecond(scan, p)) ++n;
    EXPECT_EQ(n, 36);
    ScanPoint untouched{7, 8, 9, 10, 11};
    for (int again = 0; again < 3; ++again) {
      EXPECT_FALSE(along_first ? ScanNextAlongFirst(scan, untouched) : ScanNextAlongSecond(scan, untouched));
    }
    EXPECT_EQ(untouched.x, 7);
    EXPECT_EQ(untouched.second_index, 11);
    ScanStart(scan, design);
    EXPECT_TRUE(along_first ? ScanNextAlongFirst(scan, p) : ScanNextAlongSecond(scan, p));
    EXPECT_EQ(p.x, -0.25);
  }
}

TEST(ScanGrid, TheSnapshotIgnoresLaterEdits) {
  DesignRecord design = DefaultDesign();
  ScanState scan;
  ScanStart(scan, design);
  design.scan_x_step = 0.05;
  design.scan_plane_z = 9.0;
  design.scan_plane = 1;
  int n = 0;
  ScanPoint p;
  while (ScanNextAlongFirst(scan, p)) {
    EXPECT_EQ(p.z, 0.4);
    ++n;
  }
  EXPECT_EQ(n, 36);
}

TEST(ScanGrid, UncheckedSettingsNeverRunAwayOrLeaveTheBuffer) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  DesignRecord design = DefaultDesign();
  design.scan_x_step = 1e-9;  // a million steps
  ScanState scan;
  ScanStart(scan, design);
  EXPECT_EQ(scan.first_count, kMaxScanSteps);

  design = DefaultDesign();
  design.scan_x_step = -0.1;  // to before from: no points
  EXPECT_TRUE(Traverse(design, true).empty());
  EXPECT_TRUE(Traverse(design, false).empty());

  design = DefaultDesign();
  design.scan_y_step = 0.0;  // 0.5 / 0: saturates, held to the bound
  ScanStart(scan, design);
  EXPECT_EQ(scan.second_count, kMaxScanSteps);
  design.scan_y_step = nan;
  ScanStart(scan, design);
  EXPECT_EQ(scan.second_count, 0);

  design = DefaultDesign();
  design.scan_plane = 5;
  EXPECT_TRUE(Traverse(design, true).empty());
  EXPECT_TRUE(Traverse(design, false).empty());
}

}  // namespace
}  // namespace orvendi
