#include "core/analysis/point_results.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "analysis_test_support.h"

namespace orvendi {
namespace {

using testing::CalculateOnce;
using testing::DefaultDesign;
using testing::Put;
using testing::RowDesign;
using testing::SameBits;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back().push_back(c);
    }
  }
  return parts;
}

TEST(CollectPointResults, SummaryIsThePositionAccuracyToTheBit) {
  for (int algorithm : {1, 2}) {
    DesignRecord design = DefaultDesign();
    design.algorithm_type = algorithm;
    design.sensor_theta_rad = 0.3;
    design.sensor_phi_rad = 1.0;
    design.noise_peak_v = 2e-6;
    const testing::SingleRun run = CalculateOnce(design);
    const PointResults points = CollectPointResults(run.design, run.results);

    EXPECT_TRUE(SameBits(points.summary.max_error_m, run.design.max_error_m)) << algorithm;
    EXPECT_TRUE(SameBits(points.summary.rms_error_m, run.design.rms_error_m)) << algorithm;
    EXPECT_EQ(points.summary.points, 36);
    EXPECT_EQ(points.summary.failed_points, 0);
    ASSERT_EQ(points.rows.size(), 36u);

    // The rows walk the grid as the scan does, first index fastest, each with its slot.
    ScanState scan;
    ScanStart(scan, run.design);
    ScanPoint p;
    double max_error = 0.0;
    for (const PointResult& row : points.rows) {
      ASSERT_TRUE(ScanNextAlongFirst(scan, p));
      EXPECT_EQ(row.first_index, p.first_index);
      EXPECT_EQ(row.second_index, p.second_index);
      EXPECT_EQ(row.true_x, p.x);
      EXPECT_EQ(row.true_z, 0.4);
      const double* slot = run.results.Slot(p.first_index, p.second_index);
      EXPECT_EQ(row.est_x, slot[0]);
      EXPECT_EQ(row.est_y, slot[1]);
      EXPECT_EQ(row.est_z, slot[2]);
      EXPECT_NEAR(row.error_m, std::hypot(p.x - slot[0], p.y - slot[1], p.z - slot[2]), 1e-15);
      max_error = std::max(max_error, row.error_m);
    }
    EXPECT_EQ(points.rows[1].first_index, 1);
    EXPECT_EQ(points.rows[6].second_index, 1);
    EXPECT_EQ(max_error, points.summary.max_error_m);
  }
}

TEST(CollectPointResults, APointWithoutAnEstimateIsNaNInItsRowAndFailedInTheSummary) {
  DesignRecord design = RowDesign(3);
  ResultBuffer results;
  Put(results, 0, 0.0, 0.0, 0.4 + 0.003);
  Put(results, 2, 0.2, kNan, 0.4);  // half an estimate is none
  const PointResults points = CollectPointResults(design, results);
  ASSERT_EQ(points.rows.size(), 3u);
  EXPECT_NEAR(points.rows[0].error_m, 0.003, 1e-15);
  for (int i : {1, 2}) {
    const PointResult& row = points.rows[i];
    EXPECT_TRUE(std::isnan(row.est_x) && std::isnan(row.est_y) && std::isnan(row.est_z)) << i;
    EXPECT_TRUE(std::isnan(row.error_m)) << i;
    EXPECT_NEAR(row.true_x, 0.1 * i, 1e-15);
  }
  EXPECT_EQ(points.summary.failed_points, 2);
  EXPECT_EQ(points.summary.points, 3);
  EXPECT_EQ(points.summary.max_error_m, kInf);
  EXPECT_EQ(points.summary.rms_error_m, kInf);
  ComputePositionAccuracy(design, results);
  EXPECT_EQ(design.max_error_m, kInf);

  design.scan_plane = 3;  // no such plane: no points, no figures
  const PointResults none = CollectPointResults(design, results);
  EXPECT_TRUE(none.rows.empty());
  EXPECT_TRUE(std::isnan(none.summary.max_error_m));
  EXPECT_TRUE(std::isnan(none.summary.rms_error_m));
}

TEST(CollectPointResults, CollinearGeneratorsFailEveryPoint) {
  DesignRecord design = DefaultDesign();
  SetGeneratorPosition(design.generators[2], 0.25, -0.26, 0.0);
  SetGeneratorPosition(design.generators[1], -0.25, -0.26, 0.0);
  const testing::SingleRun run = CalculateOnce(design);
  const PointResults points = CollectPointResults(run.design, run.results);
  EXPECT_EQ(points.summary.failed_points, 36);
  EXPECT_EQ(points.summary.max_error_m, run.design.max_error_m);
  const std::string csv = PointResultsCsv(points.rows);
  EXPECT_NE(csv.find("\n0,0,-0.25,-0.25,0.4,,,,\n"), std::string::npos);
}

TEST(PointResultsCsv, HeaderEmptyCellsAndExactLines) {
  DesignRecord design = RowDesign(2);
  ResultBuffer results;
  Put(results, 0, 0.5, 0.0, 0.4);  // 0.5 m off along x
  const std::string csv = PointResultsCsv(CollectPointResults(design, results).rows);
  EXPECT_EQ(csv,
            "first_index,second_index,true_x_m,true_y_m,true_z_m,estimated_x_m,estimated_y_m,estimated_z_m,"
            "error_m\n"
            "0,0,0,0,0.4,0.5,0,0.4,0.5\n"
            "1,0,0.1,0,0.4,,,,\n");
}

TEST(PointResultsCsv, NumbersReadBackToTheSameBitsWhateverTheLocale) {
  // A German desktop must still get "0.1", never "0,1".
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  DesignRecord design = DefaultDesign();
  design.sensor_theta_rad = 0.7;
  design.noise_peak_v = 3e-6;
  const testing::SingleRun run = CalculateOnce(design);
  const PointResults points = CollectPointResults(run.design, run.results);
  const std::string csv = PointResultsCsv(points.rows);
  std::setlocale(LC_ALL, previous.c_str());

  EXPECT_EQ(csv.find('\r'), std::string::npos);
  ASSERT_EQ(csv.back(), '\n');
  std::vector<std::string> lines = Split(csv.substr(0, csv.size() - 1), '\n');
  ASSERT_EQ(lines.size(), points.rows.size() + 1);
  for (std::size_t r = 0; r < points.rows.size(); ++r) {
    const std::vector<std::string> cells = Split(lines[r + 1], ',');
    ASSERT_EQ(cells.size(), 9u) << lines[r + 1];
    const PointResult& row = points.rows[r];
    const double expected[] = {row.true_x, row.true_y, row.true_z, row.est_x,
                               row.est_y,  row.est_z,  row.error_m};
    for (int c = 0; c < 7; ++c) {
      double value = 0.0;
      const std::string& cell = cells[c + 2];
      const auto parsed = std::from_chars(cell.data(), cell.data() + cell.size(), value);
      ASSERT_EQ(parsed.ptr, cell.data() + cell.size()) << cell;
      EXPECT_TRUE(SameBits(value, expected[c])) << cell;
    }
  }
  // The accumulated grid coordinates keep their binary values rather than the decimal ones.
  EXPECT_EQ(lines[3].substr(0, 25), "2,0,-0.04999999999999999,");
}

}  // namespace
}  // namespace orvendi
