#include "core/dialogs/scan_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/design/design_record.h"
#include "core/platform/host.h"
#include "core/views/design_history.h"
#include "core/views/view_state.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

using namespace control_ids;

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::nan("");

// x, y and z rows of the defaults with one row replaced.
bool Validate(int row, double from, double to, double step) {
  double v[9] = {-0.25, 0.25, 0.1, -0.25, 0.25, 0.1, 0.1, 0.6, 0.1};
  v[3 * row] = from;
  v[3 * row + 1] = to;
  v[3 * row + 2] = step;
  return ValidateScanSettings(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
}

TEST(ValidateScanSettings, AcceptsTheDefaults) {
  EXPECT_TRUE(ValidateScanSettings(-0.25, 0.25, 0.1, -0.25, 0.25, 0.1, 0.1, 0.6, 0.1));
}

TEST(ValidateScanSettings, AtMostOneHundredStepsPerAxis) {
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(Validate(row, -0.5, 0.5, 0.01)) << row;     // exactly 100 steps
    EXPECT_FALSE(Validate(row, -0.5, 0.5, 0.0099)) << row;  // about 101
    EXPECT_TRUE(Validate(row, 0, 100, 1)) << row;
    EXPECT_FALSE(Validate(row, 0, 101, 1)) << row;
  }
}

TEST(ValidateScanSettings, StepsMustBePositive) {
  // The x step is the dialog's own test; the check itself sees only its ratio.
  EXPECT_FALSE(Validate(0, -0.25, 0.25, 0));
  EXPECT_FALSE(Validate(0, -0.25, 0.25, -0.1));
  for (int row = 1; row < 3; ++row) {
    EXPECT_FALSE(Validate(row, 0.1, 0.6, 0)) << row;
    EXPECT_FALSE(Validate(row, 0.1, 0.6, -0.1)) << row;
    EXPECT_FALSE(Validate(row, 0.3, 0.3, 0)) << row;
    EXPECT_FALSE(Validate(row, 0.3, 0.3, -1)) << row;
    EXPECT_FALSE(Validate(row, 0.3, 0.3, 0.99e-20)) << row;
    EXPECT_TRUE(Validate(row, 0.3, 0.3, 1e-20)) << row;
  }
}

TEST(ValidateScanSettings, RangesMustAscendOrBeOnePoint) {
  for (int row = 0; row < 3; ++row) {
    EXPECT_FALSE(Validate(row, 0.5, -0.5, 0.1)) << row;
    EXPECT_TRUE(Validate(row, 0.3, 0.3, 0.1)) << row;
    EXPECT_TRUE(Validate(row, 0.3, 0.3, 1e-20)) << row;
  }
}

TEST(ValidateScanSettings, NotANumberOrEndlessRangesAreRejected) {
  for (int row = 0; row < 3; ++row) {
    EXPECT_FALSE(Validate(row, kNan, 0.25, 0.1)) << row;
    EXPECT_FALSE(Validate(row, -0.25, kNan, 0.1)) << row;
    EXPECT_FALSE(Validate(row, -0.25, 0.25, kNan)) << row;
    EXPECT_FALSE(Validate(row, -kInf, 0.25, 0.1)) << row;
    EXPECT_FALSE(Validate(row, -0.25, kInf, 0.1)) << row;
    EXPECT_FALSE(Validate(row, kInf, kInf, 0.1)) << row;
    EXPECT_FALSE(Validate(row, -1e308, 1e308, 1e300)) << row;  // the span itself overflows
    // An endless step leaves one point.
    EXPECT_TRUE(Validate(row, -0.25, 0.25, kInf)) << row;
  }
}

DialogFields Typed(const DesignRecord& design, const std::map<int, std::string>& typed,
                   const std::map<int, bool>& clicked = {}) {
  DialogFields fields = FillScanOptions(design);
  for (const auto& [id, text] : typed) fields.texts[id] = text;
  for (const auto& [id, checked] : clicked) fields.checks[id] = checked;
  return fields;
}

TEST(ScanOptionsDialog, OpensWithTheSettingsAndThePlane) {
  DesignRecord design = DefaultDesign();
  const DialogFields fields = FillScanOptions(design);
  const std::map<int, std::string> expected{
      {kXFrom, "-0.25"}, {kXTo, "0.25"}, {kXStep, "0.1"}, {kYFrom, "-0.25"}, {kYTo, "0.25"}, {kYStep, "0.1"},
      {kZFrom, "0.1"},   {kZTo, "0.6"},  {kZStep, "0.1"}, {kPlaneZ, "0.4"},  {kPlaneX, "0"}, {kPlaneY, "0"}};
  EXPECT_EQ(fields.texts, expected);
  EXPECT_EQ(fields.checks,
            (std::map<int, bool>{
                {kXyPlane, true}, {kYzPlane, false}, {kZxPlane, false}, {kIncludeBedCurrents, false}}));
  design.scan_plane = 2;
  design.include_bed_currents = 1;
  EXPECT_TRUE(FillScanOptions(design).Checked(kZxPlane));
  EXPECT_TRUE(FillScanOptions(design).Checked(kIncludeBedCurrents));
  design.scan_plane = 3;
  const DialogFields none = FillScanOptions(design);
  EXPECT_FALSE(none.Checked(kXyPlane) || none.Checked(kYzPlane) || none.Checked(kZxPlane));
}

TEST(ScanOptionsDialog, OkStoresTheFourteenFields) {
  DesignRecord design = DefaultDesign();
  design.bed_stale = 0;
  ASSERT_TRUE(
      StoreScanOptions(Typed(design, {{kXFrom, "-0.5"}, {kXTo, "0.5"}, {kXStep, "0.01"}, {kPlaneX, "0.1"}},
                             {{kXyPlane, false}, {kYzPlane, true}, {kIncludeBedCurrents, true}}),
                       design));
  EXPECT_EQ(design.scan_x_from, -0.5);
  EXPECT_EQ(design.scan_x_to, 0.5);
  EXPECT_EQ(design.scan_x_step, 0.01);
  EXPECT_EQ(design.scan_plane, 1);
  EXPECT_EQ(design.scan_plane_x, 0.1);
  EXPECT_EQ(design.scan_plane_z, 0.4);
  EXPECT_EQ(design.scan_plane_y, 0.0);
  EXPECT_EQ(design.include_bed_currents, 1);
  EXPECT_EQ(design.bed_stale, 0);
  // No plane checked keeps the plane.
  ASSERT_TRUE(StoreScanOptions(Typed(design, {}, {{kYzPlane, false}}), design));
  EXPECT_EQ(design.scan_plane, 1);
}

// The last run's estimates are kept by index pair, so they stay valid only on the same grid, after
// OK and after undoing or redoing it.
TEST(ScanOptionsDialog, OnlyAnotherGridMakesTheResultsInvalid) {
  const struct {
    std::map<int, std::string> typed;
    std::map<int, bool> clicked;
    bool valid;
  } cases[] = {
      {{}, {}, true},
      {{{kZFrom, "0.2"}, {kZTo, "0.5"}, {kPlaneX, "0.3"}}, {}, true},  // not read by the XY plane
      {{{kXStep, "0.05"}}, {}, false},
      {{{kYFrom, "-0.35"}}, {}, false},
      {{{kPlaneZ, "0.3"}}, {}, false},
      {{}, {{kXyPlane, false}, {kZxPlane, true}}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.valid);
    DesignRecord design = DefaultDesign();
    design.results_valid = 1;
    const DesignRecord before = design;
    ASSERT_TRUE(StoreScanOptions(Typed(design, c.typed, c.clicked), design));
    EXPECT_EQ(design.results_valid, c.valid ? 1 : 0);
    DesignRecord undone = design;
    undone.results_valid = 1;
    ApplyDesignSnapshot(before, false, undone);
    EXPECT_EQ(undone.results_valid, c.valid ? 1 : 0);
  }
}

TEST(ScanOptionsDialog, ARejectedOkStoresNothing) {
  const std::vector<std::map<int, std::string>> rejected{
      {{kXStep, "0"}},
      {{kXStep, "-0.1"}},
      {{kYStep, "0"}},
      {{kZStep, "0"}},
      {{kXFrom, "0.5"}, {kXTo, "-0.5"}},
      {{kXFrom, "-0.5"}, {kXTo, "0.5"}, {kXStep, "0.0099"}},
      {{kZTo, "nan"}},
      {{kYFrom, "-1e999"}}};
  for (const auto& typed : rejected) {
    DesignRecord design = DefaultDesign();
    DesignRecord before;
    std::memcpy(&before, &design, sizeof design);
    EXPECT_FALSE(StoreScanOptions(
        Typed(design, typed, {{kYzPlane, true}, {kXyPlane, false}, {kIncludeBedCurrents, true}}), design))
        << typed.begin()->second;
    EXPECT_EQ(std::memcmp(&before, &design, sizeof design), 0);
  }
}

TEST(ScanOptionsDialog, AnEntryThatIsNoNumberChecksThePreviousValue) {
  DesignRecord design = DefaultDesign();
  ASSERT_TRUE(StoreScanOptions(Typed(design, {{kXStep, "step"}, {kPlaneZ, ""}, {kYTo, "0.3"}}), design));
  EXPECT_EQ(design.scan_x_step, 0.1);
  EXPECT_EQ(design.scan_plane_z, 0.4);
  EXPECT_EQ(design.scan_y_to, 0.3);
  // A previous value that fails the check fails it again.
  design.scan_x_to = 50;
  EXPECT_FALSE(StoreScanOptions(Typed(design, {{kXTo, "far"}}), design));
  EXPECT_EQ(design.scan_x_to, 50);
}

TEST(ScanOptionsDialog, UntouchedBoxesKeepTheValuesTheyShowRounded) {
  DesignRecord design = DefaultDesign();
  design.scan_x_from = -0.123456789;
  design.scan_plane_z = 0.3333333333333333;
  DesignRecord before;
  std::memcpy(&before, &design, sizeof design);
  ASSERT_TRUE(StoreScanOptions(FillScanOptions(design), design));
  EXPECT_EQ(std::memcmp(&before, &design, sizeof design), 0);
}

TEST(ScanOptionsDialog, BadEntriesOnEveryBox) {
  enum Kind { kFrom, kTo, kStep, kOffset };
  const std::vector<std::pair<int, Kind>> boxes{{kXFrom, kFrom},    {kXTo, kTo},        {kXStep, kStep},
                                                {kYFrom, kFrom},    {kYTo, kTo},        {kYStep, kStep},
                                                {kZFrom, kFrom},    {kZTo, kTo},        {kZStep, kStep},
                                                {kPlaneZ, kOffset}, {kPlaneX, kOffset}, {kPlaneY, kOffset}};
  struct Case {
    std::string text;
    bool accepted[4];  // from, to, step, offset
  };
  const std::vector<Case> cases{
      {"", {true, true, true, true}},
      {"metres", {true, true, true, true}},
      {"1e999", {false, false, true, true}},  // an endless step leaves one point
      {"-1e999", {false, false, false, true}},
      {"nan", {false, false, false, true}},
      {"inf", {false, false, true, true}},
      {std::string(300, '1'), {false, false, true, true}},
      {"99999999999", {false, false, true, true}},
  };
  for (const auto& [id, kind] : boxes) {
    for (const Case& c : cases) {
      DesignRecord design = DefaultDesign();
      const bool stored = StoreScanOptions(Typed(design, {{id, c.text}}), design);
      EXPECT_EQ(stored, c.accepted[kind]) << id << " '" << c.text.substr(0, 12) << "'";
    }
  }
}

}  // namespace
}  // namespace orvendi
