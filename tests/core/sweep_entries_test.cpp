#include "core/dialogs/sweep_entries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <tuple>
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
  // The dialog opens on the first, as it always did.
  EXPECT_EQ(SweepParameters().front().key, "frequency_hz");
  for (const auto& [key, name] : {std::pair{"frequency_hz", "Frequency (Hz)"},
                                  {"generators[0].x", "Generator 0 x (m)"},
                                  {"generators[2].peak_current_a", "Generator 2 peak current (A)"},
                                  {"algorithm_type", "Algorithm type"}}) {
    EXPECT_EQ(SweepParameterName(key), name);
  }
  // A value that is one of a few choices: all of them.
  const DesignRecord design = testing::DefaultDesign();
  const SweepRange algorithm = ProposedSweepRange(design, IndexOf("algorithm_type"));
  EXPECT_EQ(algorithm.from, 1.0);
  EXPECT_EQ(algorithm.to, 3.0);
  EXPECT_EQ(algorithm.count, 3);
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
  e.runs = "2";
  return e;
}

TEST(SweepEntriesReading, ASecondParameterAddsTheFasterAxis) {
  std::string error;
  const std::optional<SweepOptions> two = ReadSweepEntries(TwoParameters(), error);
  ASSERT_TRUE(two) << error;
  ASSERT_EQ(two->axes.size(), 2u);
  EXPECT_EQ(two->axes[1].key, "noise_peak_v");
  EXPECT_EQ(two->axes[1].count, 2);
  // Without a second parameter its entries are not read: one axis, as before.
  SweepEntries one = TwoParameters();
  one.second_parameter = -1;
  one.second_from = "junk";
  ASSERT_TRUE(ReadSweepEntries(one, error)) << error;
  EXPECT_EQ(ReadSweepEntries(one, error)->axes.size(), 1u);

  const struct {
    void (*spoil)(SweepEntries&);
    const char* message;
  } bad[] = {
      {[](SweepEntries& e) { e.second_parameter = e.parameter; },
       "Parameter 2: choose one other than the first"},
      {[](SweepEntries& e) { e.second_from = "x"; }, "From 2: \"x\" is not a number"},
      {[](SweepEntries& e) { e.second_to = "0"; }, "From 2 and To 2: the range is empty"},
      {[](SweepEntries& e) { e.map_result = 2, e.runs = "1"; }, "Map: Max trueness needs more than one run"},
  };
  for (const auto& b : bad) {
    SweepEntries e = TwoParameters();
    b.spoil(e);
    EXPECT_FALSE(ReadSweepEntries(e, error)) << b.message;
    EXPECT_EQ(error.rfind(b.message, 0), 0u) << error;
  }
}

// "Logarithmic" gives the command line's ":log" values; its ends must lie above 0.
TEST(SweepEntriesReading, LogarithmicSpacingIsTheCommandLinesAndRefusesEndsNotAbove0) {
  const char* const refused = "From and To: a log range must lie above 0";
  for (const auto& [from, to, message] : {std::tuple{"10", "1e5", ""}, {"1e5", "10", ""}, {"0", "100", refused},
                                          {"10", "0", refused}, {"-10", "-1", refused}}) {
    SweepEntries e;
    e.parameter = IndexOf("frequency_hz"), e.from = from, e.to = to, e.count = "5", e.log = true;
    std::string error;
    const std::optional<SweepOptions> read = ReadSweepEntries(e, error);
    EXPECT_EQ(error, message) << from << ":" << to;
    if (!read) continue;
    const std::optional<SweepAxis> cli = ParseSweepAxis(std::string("frequency_hz=") + from + ":" + to + ":5:log", error);
    ASSERT_TRUE(cli) << error;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(SweepAxisValue(read->axes[0], i), SweepAxisValue(*cli, i)) << i;
  }
}

TEST(SweepMapData, EachRowInItsCellInMillimetresWithEdgesHalfwayBetweenValues) {
  std::string error;
  const std::optional<SweepOptions> options = ReadSweepEntries(TwoParameters(), error);
  ASSERT_TRUE(options) << error;
  std::vector<SweepRow> rows;
  for (const std::int64_t index : {0, 1, 2, 3, 5}) {  // row 4 never came
    SweepRow row;
    row.index = index;
    row.errors.max_error_m = static_cast<double>(index + 1) * 1e-3;
    row.errors.rms_error_m = index == 1 ? std::numeric_limits<double>::infinity() : 0.5e-3;
    rows.push_back(row);
  }
  const SweepMap max = MakeSweepMap(*options, rows, 0);
  EXPECT_EQ(max.x_values, (std::vector<double>{1000, 2000, 3000}));
  EXPECT_EQ(max.x_edges, (std::vector<double>{500, 1500, 2500, 3500}));
  ASSERT_EQ(max.y_edges.size(), 3u);
  EXPECT_DOUBLE_EQ(max.y_edges[0], -0.5e-4);
  // Row index = first value's index * 2 + second value's index.
  EXPECT_DOUBLE_EQ(max.millimetres[3], 4.0);
  EXPECT_TRUE(std::isnan(max.millimetres[4]));
  EXPECT_DOUBLE_EQ(max.low, 1.0);
  EXPECT_DOUBLE_EQ(max.high, 6.0);
  EXPECT_EQ(max.missing, 1);
  EXPECT_EQ(MakeSweepMap(*options, rows, 1).missing, 2);
  EXPECT_TRUE(std::isnan(MakeSweepMap(*options, {}, 0).low));
}

}  // namespace
}  // namespace orvendi
