#include "support/design_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "core/design/number_text.h"
#include "support/default_design.h"
#include "support/entry_text.h"

namespace orvendi::testing {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(MonkeyDesignChecks, APositionThatLosesItsValueIsReportedEvenAfterADialog) {
  const DesignRecord before = DefaultDesign();
  DesignRecord after = before;
  SetGeneratorPosition(after.generators[1], kNan, 0.0, 0.0);
  after.bed_y2 = -kInf;
  const auto lost = LostFiniteKeys(DesignNumbers(before), DesignNumbers(after), true);
  EXPECT_EQ(lost, (std::vector<std::string>{"generators[1].x", "bed_y2"}));
}

TEST(MonkeyDesignChecks, ATypedValueMayTurnNonFiniteOnlyThroughADialog) {
  const DesignRecord before = DefaultDesign();
  DesignRecord after = before;
  after.frequency_hz = kInf;
  EXPECT_EQ(LostFiniteKeys(DesignNumbers(before), DesignNumbers(after), false),
            std::vector<std::string>{"frequency_hz"});
  EXPECT_TRUE(LostFiniteKeys(DesignNumbers(before), DesignNumbers(after), true).empty());
  // What was not finite before is not counted again.
  EXPECT_TRUE(LostFiniteKeys(DesignNumbers(after), DesignNumbers(after), false).empty());
}

TEST(MonkeyDesignChecks, OnlyWhatADialogStoresAsTypedMayBeNonFinite) {
  EXPECT_TRUE(KeyMayBeNonFinite("frequency_hz"));
  EXPECT_TRUE(KeyMayBeNonFinite("generators[2].side_m"));
  EXPECT_FALSE(KeyMayBeNonFinite("generators[0].x"));
  EXPECT_FALSE(KeyMayBeNonFinite("bed_x1"));
  EXPECT_FALSE(KeyMayBeNonFinite("scan_x_from"));
  EXPECT_TRUE(KeyMayBeNonFinite("scan_z_step")) << "an infinite step makes a grid of one row";
  EXPECT_FALSE(KeyMayBeNonFinite("bed_cells_x"));
}

TEST(MonkeyDesignChecks, TheViewMustKeepFiniteCentreAndScales) {
  ViewState before;
  before.pixels_per_metre_x = 400.0;
  ViewState after = before;
  after.view_centre_z = kNan;
  after.pixels_per_metre_x = kInf;
  EXPECT_EQ(LostFiniteView(before, after), (std::vector<std::string>{"view_centre_z", "pixels_per_metre_x"}));
  EXPECT_TRUE(LostFiniteView(after, after).empty());
}

TEST(MonkeyDesignChecks, ADesignTheFileCannotHoldIsReported) {
  DesignRecord design = DefaultDesign();
  design.frequency_hz = kNan;
  EXPECT_EQ(FileRoundTripProblem(design, StoredView{}), "");

  DesignRecord bad_algorithm = design;
  bad_algorithm.algorithm_type = 4;
  EXPECT_NE(FileRoundTripProblem(bad_algorithm, StoredView{}).find("does not open"), std::string::npos);

  DesignRecord bad_position = design;
  bad_position.bed_x2 = kInf;
  EXPECT_NE(FileRoundTripProblem(bad_position, StoredView{}), "");

  StoredView bad_view;
  bad_view.scale_percent = 80;
  EXPECT_NE(FileRoundTripProblem(design, bad_view), "");
}

TEST(MonkeyDesignChecks, UndoableDesignsIgnoreTheViewTogglesAndNameTheFirstDifference) {
  const DesignRecord a = DefaultDesign();
  DesignRecord b = a;
  b.show_bed = a.show_bed != 0 ? 0 : 1;
  b.results_valid = 1;
  EXPECT_TRUE(SameUndoableDesign(a, b));
  b.offset_v = -0.0;
  b.noise_peak_v = 1e-3;
  EXPECT_FALSE(SameUndoableDesign(a, b));
  EXPECT_EQ(FirstDifference(a, b), "noise_peak_v");
  b.noise_peak_v = a.noise_peak_v;
  EXPECT_EQ(FirstDifference(a, b), "offset_v") << "-0 and +0 differ to the bit";
}

TEST(MonkeyEntryText, ReachesSensibleNumbersNonFiniteValuesEmptyAndOverlongText) {
  Rng rng(7);
  std::set<std::string> kinds;
  for (int i = 0; i < 2000; ++i) {
    const std::string text = EntryText(rng, "0.25");
    const std::optional<double> value = ReadDouble(text);
    if (text.empty()) kinds.insert("empty");
    if (text.size() > kEntryTextLimit) kinds.insert("long");
    if (value && !std::isfinite(*value)) kinds.insert("non-finite");
    if (value && (*value == 0.125 || *value == 0.5)) kinds.insert("near");
    if (!value) kinds.insert("not a number");
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"empty", "long", "near", "non-finite", "not a number"}));
}

}  // namespace
}  // namespace orvendi::testing
