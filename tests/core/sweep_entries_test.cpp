#include "core/dialogs/sweep_entries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "core/design/design_file.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

int IndexOf(const std::string& key) {
  const auto& list = SweepParameters();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].key == key) return static_cast<int>(i);
  }
  return -1;
}

// The command line's numeric keys whose top-level key the calculation reads.
std::set<std::string> CalculationKeys() {
  std::set<std::string> keys;
  for (const std::string& key : NumericDesignKeys()) {
    const std::string top = key.substr(0, key.find_first_of("[."));
    for (const DesignKey& schema : kDesignKeys) {
      if (schema.name == top && schema.kind == KeyKind::kSimulationInput) keys.insert(key);
    }
  }
  return keys;
}

TEST(SweepParameterList, OffersEveryNumericKeyTheCalculationReadsNamedWithItsUnit) {
  std::set<std::string> offered;
  for (const SweepParameter& p : SweepParameters()) EXPECT_TRUE(offered.insert(p.key).second) << p.key;
  EXPECT_EQ(offered, CalculationKeys());
  EXPECT_GT(offered.size(), 50u);
  // The dialog opens on the first, as it always did.
  EXPECT_EQ(SweepParameters().front().key, "frequency_hz");
  const struct {
    const char* key;
    const char* name;
  } names[] = {
      {"frequency_hz", "Frequency (Hz)"},
      {"generators[0].x", "Generator 0 x (m)"},
      {"generators[2].peak_current_a", "Generator 2 peak current (A)"},
      {"generators[1].turns", "Generator 1 turns"},
      {"sensor_area_m2", "Sensor area (m²)"},
      {"bed_ohms_per_m", "Bed resistance (Ω/m)"},
      {"scan_y_step", "Scan y step (m)"},
      {"algorithm_type", "Algorithm type"},
  };
  for (const auto& n : names) {
    ASSERT_GE(IndexOf(n.key), 0) << n.key;
    EXPECT_EQ(SweepParameters()[static_cast<std::size_t>(IndexOf(n.key))].name, n.name);
    EXPECT_EQ(SweepParameterName(n.key), n.name);
  }
}

TEST(SweepParameterList, ProposesARangeAroundTheValueOrEveryChoice) {
  DesignRecord design = testing::DefaultDesign();
  design.offset_v = 0.0;
  design.generators[0].x = -0.2;
  const struct {
    const char* key;
    double from, to;
    int count;  // 0: left as typed
  } cases[] = {
      {"frequency_hz", 5000, 15000, 0}, {"offset_v", 0, 1, 0},       {"generators[0].x", -0.3, -0.1, 0},
      {"algorithm_type", 1, 3, 3},      {"include_bed_currents", 0, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const SweepRange range = ProposedSweepRange(design, IndexOf(c.key));
    EXPECT_DOUBLE_EQ(range.from, c.from);
    EXPECT_DOUBLE_EQ(range.to, c.to);
    EXPECT_EQ(range.count.value_or(0), c.count);
  }
}

SweepEntries TwoParameters() {
  SweepEntries e;
  e.parameter = IndexOf("frequency_hz");
  e.from = "1000";
  e.to = "3000";
  e.count = "3";
  e.second_parameter = IndexOf("noise_peak_v");
  e.second_from = "0";
  e.second_to = "1e-4";
  e.second_count = "2";
  return e;
}

TEST(SweepEntriesReading, ASecondParameterAddsTheFasterAxis) {
  std::string error;
  const std::optional<SweepOptions> two = ReadSweepEntries(TwoParameters(), error);
  ASSERT_TRUE(two) << error;
  ASSERT_EQ(two->axes.size(), 2u);
  EXPECT_EQ(two->axes[0].key, "frequency_hz");
  EXPECT_EQ(two->axes[1].key, "noise_peak_v");
  EXPECT_EQ(two->axes[1].to, 1e-4);
  EXPECT_EQ(two->axes[1].count, 2);
  // Without a second parameter its entries are not read: one axis, as before.
  SweepEntries one = TwoParameters();
  one.second_parameter = -1;
  one.second_from = "junk";
  one.map_result = 3;
  const std::optional<SweepOptions> single = ReadSweepEntries(one, error);
  ASSERT_TRUE(single) << error;
  EXPECT_EQ(single->axes.size(), 1u);

  const struct {
    void (*spoil)(SweepEntries&);
    const char* message;
  } bad[] = {
      {[](SweepEntries& e) { e.second_parameter = e.parameter; }, "Parameter 2: choose one other than the first"},
      {[](SweepEntries& e) { e.second_parameter = 9999; }, "Parameter 2: choose one from the list"},
      {[](SweepEntries& e) { e.second_from = "x"; }, "From 2: \"x\" is not a number"},
      {[](SweepEntries& e) { e.second_count = "0"; }, "Count 2: the count must be at least 1"},
      {[](SweepEntries& e) { e.second_to = "0"; }, "From 2 and To 2: the range is empty"},
      {[](SweepEntries& e) { e.map_result = 2; }, "Map: Max trueness needs more than one run per value"},
  };
  for (const auto& b : bad) {
    SweepEntries e = TwoParameters();
    b.spoil(e);
    EXPECT_FALSE(ReadSweepEntries(e, error)) << b.message;
    EXPECT_EQ(error.rfind(b.message, 0), 0u) << error;
  }
  SweepEntries runs = TwoParameters();
  runs.map_result = 3;
  runs.runs = "3";
  EXPECT_TRUE(ReadSweepEntries(runs, error)) << error;
}

TEST(SweepMapData, EachRowInItsCellInMillimetresWithEdgesHalfwayBetweenValues) {
  std::string error;
  SweepEntries entries = TwoParameters();
  entries.runs = "2";
  const std::optional<SweepOptions> options = ReadSweepEntries(entries, error);
  ASSERT_TRUE(options) << error;
  std::vector<SweepRow> rows;
  for (std::int64_t index = 0; index < 6; ++index) {
    if (index == 4) continue;  // a row that never came
    SweepRow row;
    row.index = index;
    row.errors.max_error_m = (index + 1) * 1e-3;
    row.errors.rms_error_m = index == 1 ? std::numeric_limits<double>::infinity() : 0.5e-3;
    row.has_monte_carlo = true;
    row.monte_carlo.max_trueness_m = 2e-3;
    rows.push_back(row);
  }
  const SweepMap max = MakeSweepMap(*options, rows, 0);
  EXPECT_EQ(max.result, "Max error");
  EXPECT_EQ(max.x_values, (std::vector<double>{1000, 2000, 3000}));
  EXPECT_EQ(max.y_values, (std::vector<double>{0, 1e-4}));
  const auto expect_edges = [](const std::vector<double>& edges, const std::vector<double>& expected) {
    ASSERT_EQ(edges.size(), expected.size());
    for (std::size_t k = 0; k < edges.size(); ++k) EXPECT_DOUBLE_EQ(edges[k], expected[k]) << k;
  };
  expect_edges(max.x_edges, {500, 1500, 2500, 3500});
  expect_edges(max.y_edges, {-0.5e-4, 0.5e-4, 1.5e-4});
  ASSERT_EQ(max.millimetres.size(), 6u);
  // Row index = first value's index * 2 + second value's index.
  EXPECT_DOUBLE_EQ(max.millimetres[3], 4.0);
  EXPECT_TRUE(std::isnan(max.millimetres[4]));
  EXPECT_DOUBLE_EQ(max.low, 1.0);
  EXPECT_DOUBLE_EQ(max.high, 6.0);
  EXPECT_EQ(max.missing, 1);

  const SweepMap rms = MakeSweepMap(*options, rows, 1);
  EXPECT_TRUE(std::isnan(rms.millimetres[1]));
  EXPECT_EQ(rms.missing, 2);
  EXPECT_DOUBLE_EQ(rms.low, 0.5);
  EXPECT_DOUBLE_EQ(MakeSweepMap(*options, rows, 2).high, 2.0);
  // No figure at all: no range.
  EXPECT_TRUE(std::isnan(MakeSweepMap(*options, {}, 0).low));
}

}  // namespace
}  // namespace orvendi
