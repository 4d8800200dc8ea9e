#include "core/views/live_preview.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/fake_host.h"
#include "support/recording_canvas.h"
#include "core/views/design_history.h"
#include "core/views/scene_model.h"
#include "core/views/scene_painter.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::RecordingCanvas;

// The default scene in an 800 x 600 drawing area: generator 2 at window (500, 200), the bed's
// corners at (200, 500) and (600, 100).
struct Scene {
  Scene() {
    ApplyViewDefaults(model.view, host);
    ApplyDesignDefaults(model.design);
    UpdateWindowCentre(model.view, 800, 600);
  }
  DesignRecord UnderEdit(int x, int y) const {
    return DesignUnderEdit(model.design, model.view, model.drag, model.bed_edit, x, y);
  }
  SceneModel model;
  FakeHost host;
};

TEST(DesignUnderEdit, IsTheDesignTheReleaseWouldLeave) {
  {
    Scene s;
    PickGenerator(500, 200, s.model.design, s.model.view, s.model.drag, s.host);
    TrackGenerator(123, 456, s.model.drag, s.host);
    const GeneratorDragState drag = s.model.drag;
    const DesignRecord before = s.model.design;
    const DesignRecord edited = s.UnderEdit(123, 456);
    EXPECT_TRUE(SameDesign(s.model.design, before));
    EXPECT_EQ(s.model.drag, drag);
    DropGenerator(123, 456, s.model.design, s.model.view, s.model.drag, s.host);
    EXPECT_TRUE(SameDesign(edited, s.model.design));
    EXPECT_FALSE(SameDesign(edited, before));
  }
  // A bed move (edge) and a resize (corner handle).
  for (const int grab_x : {300, 200}) {
    SCOPED_TRACE(grab_x);
    Scene s;
    BedButtonDown(grab_x, 500, s.model.design, s.model.view, s.model.bed_edit, s.host);
    ASSERT_EQ(s.model.bed_edit.bed_move_active + s.model.bed_edit.bed_resize_active, 1);
    BedMouseMove(grab_x + 40, 460, s.model.bed_edit, s.host);
    const BedEditState bed_edit = s.model.bed_edit;
    const DesignRecord edited = s.UnderEdit(grab_x + 40, 460);
    EXPECT_EQ(s.model.bed_edit, bed_edit);
    BedButtonUp(grab_x + 40, 460, s.model.design, s.model.view, s.model.bed_edit, s.host);
    EXPECT_TRUE(SameDesign(edited, s.model.design));
  }
}

// Calls drawn with a pen of the given colour.
int CallsInColour(const RecordingCanvas& canvas, RecordingCanvas::Kind kind, const Rgb& colour) {
  int count = 0;
  for (const RecordingCanvas::Call& call : canvas.Of(kind)) count += call.pen.colour == colour ? 1 : 0;
  return count;
}

// 101 x 101 points drawn as dots, no valid results, and a coarse preview (every third point)
// computed with generator 2 elsewhere, every estimate on its true point but the first.
void ShowCoarsePreview(Scene& s) {
  DesignRecord& design = s.model.design;
  design.map_style = 0;
  design.scan_x_step = design.scan_y_step = 0.005;
  design.scan_x_to = design.scan_x_from + 100 * 0.005;
  design.scan_y_to = design.scan_y_from + 100 * 0.005;
  design.results_valid = 0;

  LivePreview& live = s.model.live;
  live.result.stride = 3;
  live.result.design = CoarseScan(design, 3);
  SetGeneratorPosition(live.result.design.generators[2], -0.1, -0.1, 0.0);
  ScanState scan;
  ScanStart(scan, live.result.design);
  ScanPoint p;
  while (ScanNextAlongFirst(scan, p)) {
    double* slot = live.result.results.Slot(p.first_index, p.second_index);
    slot[0] = p.x;
    slot[1] = p.y;
    slot[2] = p.z;
  }
  live.result.results.Slot(0, 0)[0] = std::numeric_limits<double>::quiet_NaN();
  live.shown = true;
}

RecordingCanvas Painted(const Scene& s) {
  RecordingCanvas canvas;
  PaintShownScene(canvas, s.model, s.model.view);
  return canvas;
}

TEST(PaintShownScene, APreviewDrawsBothMapsOnItsOwnGridButGeneratorsWhereTheDesignHasThem) {
  Scene s;
  ShowCoarsePreview(s);
  s.model.live.shown = false;
  // The last run's estimates are not valid: no measured map, the whole actual map.
  const RecordingCanvas before = Painted(s);
  EXPECT_EQ(CallsInColour(before, RecordingCanvas::Kind::kEllipse, kMapBlue), 0);
  EXPECT_EQ(CallsInColour(before, RecordingCanvas::Kind::kEllipse, kMapGreen), 101 * 101);

  s.model.live.shown = true;
  const RecordingCanvas shown = Painted(s);
  EXPECT_EQ(CallsInColour(shown, RecordingCanvas::Kind::kEllipse, kMapBlue), 34 * 34 - 1);
  EXPECT_EQ(CallsInColour(shown, RecordingCanvas::Kind::kEllipse, kMapGreen), 34 * 34);
  EXPECT_NE(shown.Find("Ellipse(497, 197, 504, 204)"), nullptr);  // generator 2, as the design has it
  EXPECT_EQ(s.model.design.results_valid, 0);

  // Not shown: as before.
  s.model.live.shown = false;
  EXPECT_EQ(Painted(s).Shapes(), before.Shapes());
}

// The error map's cells: rectangles without a pen over the scan square, window (300, 200) to
// (500, 400); the legend's colour bar sits in the top-left corner.
int Cells(const RecordingCanvas& canvas) {
  int count = 0;
  for (const RecordingCanvas::Call& call : canvas.Of(RecordingCanvas::Kind::kRectangle)) {
    count += call.pen.null && call.a >= 300 && call.b >= 200 && call.c <= 500 && call.d <= 400;
  }
  return count;
}

TEST(PaintShownScene, TheErrorMapFollowsThePreview) {
  Scene s;
  ShowCoarsePreview(s);
  s.model.design.show_error_map = 1;
  s.model.live.shown = false;
  EXPECT_EQ(Cells(Painted(s)), 0);
  s.model.live.shown = true;
  EXPECT_EQ(Cells(Painted(s)), 33 * 33);
}

}  // namespace
}  // namespace orvendi
