#include "core/views/bed_editing.h"

#include <climits>

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "support/recording_canvas.h"
#include "core/views/generator_placement.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::RecordingCanvas;

// Default bed in the plan view of an 800 x 600 area: X1 = 200, Y1 = 500, X2 = 600, Y2 = 100.
struct Bed {
  Bed() {
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
    host.transient_canvas = &canvas;
    host.log.clear();
  }
  void Drag(int x0, int y0, int x1, int y1) {
    BedButtonDown(x0, y0, design, view, edit, host);
    BedMouseMove((x0 + x1) / 2, (y0 + y1) / 2, edit, host);
    BedMouseMove(x1, y1, edit, host);
    BedButtonUp(x1, y1, design, view, edit, host);
  }
  int RubberDrawings() const {
    int n = 0;
    for (const auto& call : canvas.calls) n += call.kind != RecordingCanvas::Kind::kMoveTo;
    return n;
  }
  DesignRecord design;
  ViewState view;
  FakeHost host;
  RecordingCanvas canvas;
  BedEditState edit;
};

TEST(EditingState, StartsWithoutHandlesDragOrMark) {
  const BedEditState bed;
  EXPECT_EQ(bed.bed_handles_shown, 0);
  EXPECT_EQ(bed.bed_resize_active, 0);
  EXPECT_EQ(bed.bed_move_active, 0);
  EXPECT_EQ(bed.rubber_shown, 0);
  const GeneratorDragState drag;
  EXPECT_EQ(drag.mark_shown, 0);
}

TEST(BedHits, HandlesAtTheirFivePixelBound) {
  Bed b;
  const int points[8][2] = {{200, 500}, {400, 500}, {600, 500}, {600, 300},
                            {600, 100}, {400, 100}, {200, 100}, {200, 300}};
  for (int k = 0; k < 8; ++k) {
    EXPECT_TRUE(BedHandleHit(points[k][0] + 3, points[k][1] - 4, b.design, b.view, b.edit));
    EXPECT_EQ(b.edit.bed_handle, k);
    b.edit.bed_handle = -1;
    EXPECT_FALSE(BedHandleHit(points[k][0] + 5, points[k][1] + 1, b.design, b.view, b.edit));
    EXPECT_EQ(b.edit.bed_handle, -1);
  }
}

TEST(BedHits, EquidistantHandlesPickTheLowerNumber) {
  Bed b;
  b.design.bed_x2 = -0.48;  // X2 = 208, so handle 1 sits at Mx = 204
  EXPECT_TRUE(BedHandleHit(202, 500, b.design, b.view, b.edit));
  EXPECT_EQ(b.edit.bed_handle, 0);
}

TEST(BedHits, EdgesWithinFivePixelsOutsideTheCornerZones) {
  Bed b;
  EXPECT_TRUE(BedEdgeHit(210, 503, b.design, b.view));  // 10 from the corner, 3 off the edge
  EXPECT_TRUE(BedEdgeHit(300, 505, b.design, b.view));
  EXPECT_FALSE(BedEdgeHit(300, 506, b.design, b.view));
  EXPECT_TRUE(BedEdgeHit(300, 95, b.design, b.view));
  EXPECT_TRUE(BedEdgeHit(595, 300, b.design, b.view));
  EXPECT_FALSE(BedEdgeHit(594, 300, b.design, b.view));
  EXPECT_TRUE(BedEdgeHit(196, 494, b.design, b.view));   // the vertical edge, just inside its span
  EXPECT_FALSE(BedEdgeHit(205, 495, b.design, b.view));  // corner zone: neither span
  EXPECT_FALSE(BedEdgeHit(400, 300, b.design, b.view));
  EXPECT_FALSE(BedEdgeHit(INT_MIN, INT_MAX, b.design, b.view));
  EXPECT_FALSE(BedEdgeHit(INT_MAX, INT_MIN, b.design, b.view));
}

TEST(BedButtonDownTest, HandleStartsAResizeEdgeAMoveElsewhereNothing) {
  Bed b;
  BedButtonDown(300, 506, b.design, b.view, b.edit, b.host);
  EXPECT_EQ(b.edit.bed_resize_active + b.edit.bed_move_active + b.edit.rubber_shown, 0);
  EXPECT_TRUE(b.host.log.empty());

  BedButtonDown(200, 500, b.design, b.view, b.edit, b.host);
  EXPECT_EQ(b.edit.bed_resize_active, 1);
  EXPECT_EQ(b.edit.rubber_shown, 1);
  EXPECT_EQ(b.host.log, (std::vector<std::string>{"capture", "begin transient", "end transient"}));
  ASSERT_EQ(b.canvas.calls.size(), 1u);
  EXPECT_EQ(b.canvas.calls[0].Shape(), "Rectangle(200, 501, 601, 100)");
  EXPECT_TRUE(b.canvas.calls[0].invert);
  EXPECT_TRUE(b.canvas.calls[0].brush.null);
  EXPECT_EQ(b.canvas.calls[0].pen, Pen{});

  Bed m;
  BedButtonDown(210, 503, m.design, m.view, m.edit, m.host);
  EXPECT_EQ(m.edit.bed_move_active, 1);
  EXPECT_EQ(m.edit.grab_x, 210);
  EXPECT_EQ(m.edit.move_start_y1, 500);
  EXPECT_EQ(m.edit.move_start_x2, 600);
}

TEST(BedResize, HandleThreePastTheLeftEdgeTurnsTheRectangleOver) {
  Bed b;
  b.Drag(600, 300, 100, 320);
  EXPECT_EQ(b.edit.bed_resize_active, 0);
  EXPECT_EQ(b.edit.rubber_shown, 0);
  EXPECT_DOUBLE_EQ(b.design.bed_x1, -0.75);
  EXPECT_DOUBLE_EQ(b.design.bed_x2, -0.5);
  EXPECT_EQ(b.design.bed_y1, -0.5);
  EXPECT_EQ(b.design.bed_y2, 0.5);
  EXPECT_EQ(b.RubberDrawings() % 2, 0);  // every band drawn was erased again
  EXPECT_EQ(b.host.Count("release"), 1);
}

TEST(BedResize, HandleOneOntoTheOppositeEdgeShowsALine) {
  Bed b;
  BedButtonDown(400, 500, b.design, b.view, b.edit, b.host);
  b.canvas.calls.clear();
  BedMouseMove(400, 100, b.edit, b.host);
  EXPECT_EQ(b.canvas.Shapes(), (std::vector<std::string>{"Rectangle(200, 501, 601, 100)", "MoveTo(200, 100)",
                                                         "LineTo(600, 100)"}));
  BedButtonUp(400, 100, b.design, b.view, b.edit, b.host);
  EXPECT_EQ(b.design.bed_y1, 0.5);
  EXPECT_EQ(b.design.bed_y2, 0.5);
  EXPECT_EQ(b.design.bed_z1, 0.1);
}

TEST(BedResize, RepaintsCoverTheOutlineAndHandles) {
  Bed b;
  b.Drag(600, 100, 640, 60);
  EXPECT_DOUBLE_EQ(b.design.bed_x2, 0.6);
  EXPECT_DOUBLE_EQ(b.design.bed_y2, 0.6);
  ASSERT_EQ(b.host.rects.size(), 2u);
  // Outline pen covers one pixel either side of the corner pixels; handles reach +-2.
  EXPECT_EQ(b.host.rects[0], (PixelRect{197, 97, 604, 504}));
  EXPECT_EQ(b.host.rects[1], (PixelRect{197, 57, 644, 504}));
  const PixelRect r = b.host.rects[1];
  EXPECT_LE(r.left, 200 - 2);
  EXPECT_LE(r.top, 60 - 2);
  EXPECT_GE(r.right, 640 + 3);
  EXPECT_GE(r.bottom, 500 + 3);
}

TEST(BedResize, FrontViewKeepsYAndWritesZ) {
  Bed b;
  b.view.current_view = 1;  // the bed is a band at window y 260
  b.Drag(200, 260, 180, 240);
  EXPECT_DOUBLE_EQ(b.design.bed_x1, -0.55);
  EXPECT_EQ(b.design.bed_x2, 0.5);
  EXPECT_EQ(b.design.bed_y1, -0.5);
  EXPECT_EQ(b.design.bed_y2, 0.5);
  // Corner 1 went up to z 0.15 and is now the upper one: the z bounds are put in order.
  EXPECT_DOUBLE_EQ(b.design.bed_z1, 0.1);
  EXPECT_DOUBLE_EQ(b.design.bed_z2, 0.15);
}

TEST(BedResize, SideViewKeepsXAndWritesYAndZ) {
  Bed b;
  b.view.current_view = 2;
  b.Drag(600, 260, 620, 280);  // handle 2 (corner 2's y, corner 1's window y)
  EXPECT_EQ(b.design.bed_x1, -0.5);
  EXPECT_EQ(b.design.bed_x2, 0.5);
  EXPECT_DOUBLE_EQ(b.design.bed_y2, 0.55);
  EXPECT_DOUBLE_EQ(b.design.bed_z1, 0.05);
  EXPECT_DOUBLE_EQ(b.design.bed_z2, 0.1);
}

TEST(BedMove, PlanViewShiftsXAndY) {
  Bed b;
  b.design.bed_stale = 0;
  b.Drag(300, 500, 340, 460);
  EXPECT_DOUBLE_EQ(b.design.bed_x1, -0.4);
  EXPECT_DOUBLE_EQ(b.design.bed_x2, 0.6);
  EXPECT_DOUBLE_EQ(b.design.bed_y1, -0.4);
  EXPECT_DOUBLE_EQ(b.design.bed_y2, 0.6);
  EXPECT_EQ(b.design.bed_z1, 0.1);
  EXPECT_EQ(b.design.bed_z2, 0.1);
  EXPECT_EQ(b.edit.bed_move_active, 0);
  EXPECT_EQ(b.design.bed_stale, 1);  // the eddy currents of the old place no longer hold
  EXPECT_EQ(b.canvas.calls.back().Shape(), "Rectangle(240, 461, 641, 60)");
  EXPECT_EQ(b.RubberDrawings() % 2, 0);
}

TEST(BedMove, FrontViewShiftsXAndZ) {
  Bed b;
  b.view.current_view = 1;
  b.Drag(300, 262, 340, 222);
  EXPECT_DOUBLE_EQ(b.design.bed_x1, -0.4);
  EXPECT_DOUBLE_EQ(b.design.bed_x2, 0.6);
  EXPECT_EQ(b.design.bed_y1, -0.5);
  EXPECT_EQ(b.design.bed_y2, 0.5);
  EXPECT_DOUBLE_EQ(b.design.bed_z1, 0.2);
  EXPECT_DOUBLE_EQ(b.design.bed_z2, 0.2);
}

TEST(BedMove, MovesWithoutAGrabDoNothing) {
  Bed b;
  BedMouseMove(300, 300, b.edit, b.host);
  BedButtonUp(300, 300, b.design, b.view, b.edit, b.host);
  EXPECT_TRUE(b.host.log.empty());
  EXPECT_TRUE(b.canvas.calls.empty());
}

TEST(BedMove, HugePointerPositionsStayDefined) {
  Bed b;
  BedButtonDown(300, 500, b.design, b.view, b.edit, b.host);
  BedMouseMove(INT_MAX, INT_MIN, b.edit, b.host);
  for (const auto& call : b.canvas.calls) {
    EXPECT_LE(std::abs(call.a), 1'000'000'001);
    EXPECT_LE(std::abs(call.b), 1'000'000'001);
  }
  BedButtonUp(INT_MAX, INT_MIN, b.design, b.view, b.edit, b.host);
  EXPECT_GT(b.design.bed_x1, 1e6);
  Bed r;
  BedButtonDown(600, 100, r.design, r.view, r.edit, r.host);
  BedMouseMove(INT_MIN, INT_MIN, r.edit, r.host);
  BedButtonUp(INT_MIN, INT_MAX, r.design, r.view, r.edit, r.host);
  EXPECT_LE(r.design.bed_x1, r.design.bed_x2);
  EXPECT_LE(r.design.bed_y1, r.design.bed_y2);
}

TEST(BedMove, WithoutATransientSurfaceTheBandStateStillAlternates) {
  Bed b;
  b.host.transient_canvas = nullptr;
  BedButtonDown(300, 500, b.design, b.view, b.edit, b.host);
  EXPECT_EQ(b.edit.rubber_shown, 1);
  BedMouseMove(310, 500, b.edit, b.host);
  EXPECT_EQ(b.edit.rubber_x1, 210);
  BedButtonUp(310, 500, b.design, b.view, b.edit, b.host);
  EXPECT_EQ(b.edit.rubber_shown, 0);
  EXPECT_DOUBLE_EQ(b.design.bed_x1, -0.475);
}

TEST(RubberBand, DrawsThroughBothCornerPixelsWhateverTheirOrder) {
  RecordingCanvas canvas;
  BedEditState e;
  e.rubber_x1 = 50, e.rubber_y1 = 10, e.rubber_x2 = 20, e.rubber_y2 = 40;
  DrawRubberBand(canvas, e);
  e.rubber_y2 = 10;
  DrawRubberBand(canvas, e);
  EXPECT_EQ(canvas.Shapes(),
            (std::vector<std::string>{"Rectangle(51, 10, 20, 41)", "MoveTo(50, 10)", "LineTo(20, 10)"}));
  EXPECT_FALSE(canvas.invert());
}

}  // namespace
}  // namespace orvendi
