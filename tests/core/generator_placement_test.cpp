#include "core/views/generator_placement.h"

#include <climits>

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "support/recording_canvas.h"
#include "core/views/infobar.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::RecordingCanvas;

struct Placement {
  Placement() {
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
    host.transient_canvas = &canvas;
    host.log.clear();
  }
  DesignRecord design;
  ViewState view;
  GeneratorDragState drag;
  BedEditState bed_edit;
  FakeHost host;
  RecordingCanvas canvas;
};

// Generator 2 (0.25, 0.25) sits at window (500, 200).

TEST(GeneratorPick, ExactlyFivePixelsPicksJustBeyondDoesNot) {
  Placement p;
  PickGenerator(505, 201, p.design, p.view, p.drag, p.host);  // about 5.1 pixels
  EXPECT_EQ(p.drag.drag_active, 0);
  EXPECT_TRUE(p.host.log.empty());

  PickGenerator(503, 204, p.design, p.view, p.drag, p.host);  // 3 right, 4 down
  EXPECT_EQ(p.drag.drag_active, 1);
  EXPECT_EQ(p.drag.drag_generator, 2);
  EXPECT_EQ(p.host.log, (std::vector<std::string>{"capture", "begin transient", "end transient"}));
  EXPECT_EQ(p.drag.mark_shown, 1);
  EXPECT_EQ(p.drag.mark_x, 503);
  EXPECT_EQ(p.drag.mark_y, 204);
  ASSERT_EQ(p.canvas.calls.size(), 1u);
  const auto& mark = p.canvas.calls[0];
  EXPECT_EQ(mark.Shape(), "Ellipse(500, 201, 507, 208)");  // under the pointer
  EXPECT_TRUE(mark.invert);
  EXPECT_TRUE(mark.brush.null);
  EXPECT_EQ(mark.pen, Pen{});
  EXPECT_FALSE(p.canvas.invert());
  EXPECT_FALSE(p.canvas.brush().null);
}

TEST(GeneratorPick, LowerIndexWinsATieAndHiddenGeneratorsCount) {
  Placement p;
  p.design.show_generators = 0;
  SetGeneratorPosition(p.design.generators[1], 0.25, 0.25, 0.0);
  PickGenerator(500, 200, p.design, p.view, p.drag, p.host);
  EXPECT_EQ(p.drag.drag_generator, 1);
}

TEST(GeneratorDrag, MarkFollowsThePointerAndDropPlacesTheGenerator) {
  Placement p;
  PickGenerator(500, 200, p.design, p.view, p.drag, p.host);
  TrackGenerator(520, 180, p.drag, p.host);
  EXPECT_EQ(p.canvas.Shapes(),
            (std::vector<std::string>{"Ellipse(497, 197, 504, 204)", "Ellipse(497, 197, 504, 204)",
                                      "Ellipse(517, 177, 524, 184)"}));
  p.host.log.clear();
  DropGenerator(540, 160, p.design, p.view, p.drag, p.host);
  EXPECT_EQ(p.canvas.calls.size(), 4u);  // the mark erased where it was last drawn
  EXPECT_EQ(p.canvas.calls[3].Shape(), "Ellipse(517, 177, 524, 184)");
  EXPECT_EQ(p.host.log, (std::vector<std::string>{"begin transient", "end transient", "release",
                                                  "invalidate drawing 497 197 504 204 erase",
                                                  "invalidate drawing 537 157 544 164 erase"}));
  const GeneratorRecord& g = p.design.generators[2];
  EXPECT_DOUBLE_EQ(g.x, 0.35);
  EXPECT_DOUBLE_EQ(g.y, 0.35);
  EXPECT_EQ(g.z, 0.0);
  for (const CoilRecord& coil : g.coils) {
    EXPECT_EQ(coil.x, g.x);
    EXPECT_EQ(coil.y, g.y);
    EXPECT_EQ(coil.z, 0.0);
  }
  EXPECT_EQ(p.drag.mark_shown, 0);
  EXPECT_EQ(p.drag.drag_active, 0);
}

TEST(GeneratorDrag, PressAndReleaseInPlaceSnapsToThePointer) {
  Placement p;
  p.design.bed_stale = 0;
  p.design.results_valid = 1;
  PickGenerator(502, 203, p.design, p.view, p.drag, p.host);
  DropGenerator(502, 203, p.design, p.view, p.drag, p.host);
  EXPECT_DOUBLE_EQ(p.design.generators[2].x, 0.255);
  EXPECT_DOUBLE_EQ(p.design.generators[2].y, 0.2425);
  EXPECT_EQ(p.design.bed_stale, 1);  // moved, if only a little: the eddy currents follow
  EXPECT_EQ(p.design.results_valid, 1);
}

TEST(GeneratorDrag, FrontViewDropUsesTheViewCentreForY) {
  Placement p;
  p.view.current_view = 1;
  p.view.view_centre_y = 0.3;
  SetGeneratorPosition(p.design.generators[0], 0.0, -0.26, 0.05);
  PickGenerator(400, 280, p.design, p.view, p.drag, p.host);
  ASSERT_EQ(p.drag.drag_active, 1);
  DropGenerator(440, 10, p.design, p.view, p.drag, p.host);
  EXPECT_DOUBLE_EQ(p.design.generators[0].x, 0.1);
  EXPECT_EQ(p.design.generators[0].y, 0.3);
  EXPECT_EQ(p.design.generators[0].z, 0.0);
}

TEST(GeneratorDrag, DropOutsideTheAreaLandsLeftOfTheView) {
  Placement p;
  PickGenerator(500, 200, p.design, p.view, p.drag, p.host);
  DropGenerator(-40, 200, p.design, p.view, p.drag, p.host);
  EXPECT_DOUBLE_EQ(p.design.generators[2].x, -1.1);
  PickGenerator(-40, 200, p.design, p.view, p.drag, p.host);
  ASSERT_EQ(p.drag.drag_active, 1);
  TrackGenerator(INT_MIN, INT_MAX, p.drag, p.host);
  DropGenerator(INT_MAX, INT_MIN, p.design, p.view, p.drag, p.host);
  EXPECT_GT(p.design.generators[2].x, 1e6);
  EXPECT_GT(p.design.generators[2].y, 1e6);
}

TEST(GeneratorDrag, MovesAndReleasesWithoutADragAreIgnored) {
  Placement p;
  const DesignRecord before = p.design;
  TrackGenerator(500, 200, p.drag, p.host);
  DropGenerator(500, 200, p.design, p.view, p.drag, p.host);
  EXPECT_TRUE(p.host.log.empty());
  EXPECT_EQ(p.design.generators[2].x, before.generators[2].x);
}

TEST(GeneratorDrag, WithoutATransientSurfaceTheMarkStateStillAlternates) {
  Placement p;
  p.host.transient_canvas = nullptr;
  PickGenerator(500, 200, p.design, p.view, p.drag, p.host);
  EXPECT_EQ(p.drag.mark_shown, 1);
  TrackGenerator(510, 200, p.drag, p.host);
  EXPECT_EQ(p.drag.mark_shown, 1);
  EXPECT_EQ(p.drag.mark_x, 510);
  DropGenerator(510, 200, p.design, p.view, p.drag, p.host);
  EXPECT_EQ(p.drag.mark_shown, 0);
}

TEST(DragMark, ShowAndHideAlternate) {
  RecordingCanvas canvas;
  GeneratorDragState g;
  g.mark_x = 10;
  g.mark_y = 20;
  ShowDragMark(&canvas, g);
  ShowDragMark(&canvas, g);
  HideDragMark(&canvas, g);
  HideDragMark(&canvas, g);
  EXPECT_EQ(canvas.calls.size(), 2u);
  EXPECT_EQ(g.mark_shown, 0);
}

TEST(EditMode, SwitchesTheHandlesWithTheMode) {
  Placement p;
  const InfobarLayout layout = ComputeInfobarLayout({156, 13});
  p.design.show_bed = 0;
  SetEditMode(p.design, p.bed_edit, p.view, 1, p.host, layout);
  EXPECT_EQ(p.design.edit_mode, 1);
  EXPECT_EQ(p.bed_edit.bed_handles_shown, 1);
  EXPECT_EQ(p.host.log, (std::vector<std::string>{"invalidate drawing 197 97 604 504 erase",
                                                  "invalidate infobar 211 4 305 16 erase"}));
  p.host.log.clear();
  SetEditMode(p.design, p.bed_edit, p.view, 1, p.host, layout);
  EXPECT_EQ(p.host.log, (std::vector<std::string>{"invalidate infobar 211 4 305 16 erase"}));
  p.host.log.clear();
  SetEditMode(p.design, p.bed_edit, p.view, 0, p.host, layout);
  EXPECT_EQ(p.bed_edit.bed_handles_shown, 0);
  EXPECT_EQ(p.host.log.size(), 2u);
}

}  // namespace
}  // namespace orvendi
