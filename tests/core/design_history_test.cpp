#include "core/views/design_history.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/design/design_file.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

std::string Text(const DesignRecord& design) { return WriteDesignJson(design, StoredView{}); }

TEST(SameDesign, TellsValuesApartToTheBit) {
  const DesignRecord a = testing::DefaultDesign();
  DesignRecord b = a;
  EXPECT_TRUE(SameDesign(a, b));
  b.frequency_hz = std::nextafter(a.frequency_hz, 0.0);
  EXPECT_FALSE(SameDesign(a, b));

  b = a;
  b.sensor_phi_rad = -0.0;
  EXPECT_FALSE(SameDesign(a, b)) << "+0 and -0 are different values a dialog can store";

  b = a;
  b.coil_display[8] = 1;
  EXPECT_FALSE(SameDesign(a, b));

  b = a;
  SetGeneratorPosition(b.generators[2], 0.25, std::nextafter(0.25, 1.0), 0.0);
  EXPECT_FALSE(SameDesign(a, b));
}

TEST(SameDesign, IgnoresResultsAndInteractionState) {
  const DesignRecord a = testing::DefaultDesign();
  DesignRecord b = a;
  b.results_valid = 1;
  b.max_error_m = 0.5;
  b.bed_stale = 0;
  b.bed_currents[3] = Phasor(1.0, 2.0);
  b.design_modified = 1;
  b.edit_mode = 1;
  EXPECT_TRUE(SameDesign(a, b));
}

TEST(DesignStep, OnlyAChangeMakesAStep) {
  const DesignRecord before = testing::DefaultDesign();
  DesignRecord after = before;
  EXPECT_FALSE(MakeDesignStep("Frequency", before, after, true).has_value());
  after.frequency_hz = 2000.0;
  const auto step = MakeDesignStep("Frequency", before, after, true);
  ASSERT_TRUE(step.has_value());
  EXPECT_EQ(step->name, "Frequency");
  EXPECT_TRUE(step->sets_bed_stale);
  EXPECT_EQ(step->before.frequency_hz, 10000.0);
  EXPECT_EQ(step->after.frequency_hz, 2000.0);
}

TEST(DesignSnapshot, BringsTheDesignBackBitForBitAndKeepsTheRest) {
  const DesignRecord before = testing::DefaultDesign();
  DesignRecord live = before;
  const double odd = std::numeric_limits<double>::denorm_min();
  SetGeneratorPosition(live.generators[1], -0.123456789012345, odd, 0.0);
  live.noise_peak_v = -0.0;
  live.bed_x2 = 0.7;
  // What happened after the edit: a run, a mode change, a bed model.
  live.results_valid = 1;
  live.rms_error_m = 0.01;
  live.edit_mode = 1;
  live.bed_stale = 0;
  live.bed_voltages[0] = Phasor(3.0, -1.0);

  ApplyDesignSnapshot(before, false, live);
  EXPECT_EQ(Text(live), Text(before));
  EXPECT_EQ(live.generators[1].coils[2].y, before.generators[1].y);
  EXPECT_EQ(live.results_valid, 1);
  EXPECT_EQ(live.rms_error_m, 0.01);
  EXPECT_EQ(live.edit_mode, 1);
  EXPECT_EQ(live.bed_stale, 0);
  EXPECT_EQ(live.bed_voltages[0], Phasor(3.0, -1.0));

  // An edit that makes the bed model stale does so again when undone or redone.
  ApplyDesignSnapshot(before, true, live);
  EXPECT_EQ(live.bed_stale, 1);

  // The View menu's layers are no steps: undoing an edit leaves them as the user set them since.
  live.show_bed = 0;
  live.show_b_field = 1;
  ApplyDesignSnapshot(before, false, live);
  EXPECT_EQ(live.show_bed, 0);
  EXPECT_EQ(live.show_b_field, 1);
}

TEST(MouseEditName, NamesTheEditUnderWay) {
  GeneratorDragState drag;
  BedEditState bed;
  EXPECT_EQ(MouseEditName(drag, bed), "");
  drag.drag_active = 1;
  drag.drag_generator = 2;
  EXPECT_EQ(MouseEditName(drag, bed), "Move Generator 2");
  drag.drag_generator = 0;
  EXPECT_EQ(MouseEditName(drag, bed), "Move Generator 0");
  drag.drag_generator = 3;
  EXPECT_EQ(MouseEditName(drag, bed), "") << "no such generator";
  drag.drag_active = 0;
  bed.bed_move_active = 1;
  EXPECT_EQ(MouseEditName(drag, bed), "Move Bed");
  bed.bed_move_active = 0;
  bed.bed_resize_active = 1;
  EXPECT_EQ(MouseEditName(drag, bed), "Resize Bed");
}

}  // namespace
}  // namespace orvendi
