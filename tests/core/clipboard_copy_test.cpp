#include "core/views/clipboard_copy.h"

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "support/recording_canvas.h"
#include "core/views/scene_painter.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::RecordingCanvas;

struct Copy : SceneModel {
  Copy() {
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
  }
  RecordingCanvas Paint() const {
    RecordingCanvas canvas;
    PaintClipboardScene(canvas, *this);
    return canvas;
  }
  FakeHost host;
};

TEST(ClipboardFraming, OverridesScaleAndCentresOnly) {
  Copy c;
  SetScale(c.view, 200, c.host);
  NudgeViewCentre(c.view, 1, true, c.host, c.infobar);
  c.view.current_view = 2;
  const ViewState framed = CopyFraming(c.view);
  EXPECT_EQ(framed.window_centre_x, 250);
  EXPECT_EQ(framed.window_centre_y, 250);
  EXPECT_EQ(framed.pixels_per_metre_x, 400.0);
  EXPECT_EQ(framed.pixels_per_metre_y, 400.0);
  EXPECT_EQ(framed.pixels_per_metre_z, 400.0);
  EXPECT_EQ(framed.view_centre_x, 0.0);
  EXPECT_EQ(framed.view_centre_y, 0.0);
  EXPECT_EQ(framed.view_centre_z, 0.0);
  EXPECT_EQ(framed.current_view, 2);
  EXPECT_EQ(framed.drawing_width, 800);
  EXPECT_EQ(framed.scale_percent, 200);
  EXPECT_EQ(framed.vscroll_pos, c.view.vscroll_pos);
}

TEST(ClipboardFraming, GeneratorLandsAtTheSameLogicalPointWhateverTheWindow) {
  Copy c;
  c.design.show_actual_map = c.design.show_bed = c.design.show_measured_map = 0;
  const auto plain = c.Paint().Shapes();
  EXPECT_EQ(plain[2], "Ellipse(347, 147, 354, 154)");  // generator 2 at (350, 150)

  SetScale(c.view, 200, c.host);
  c.view.hscroll_pos = 0;
  ApplyHorizontalScroll(c.view, c.host);
  c.view.vscroll_pos = 1000;
  ApplyVerticalScroll(c.view, c.host);
  UpdateWindowCentre(c.view, 1234, 321);
  const ViewState before = c.view;
  EXPECT_EQ(c.Paint().Shapes(), plain);
  EXPECT_EQ(c.view, before);
}

TEST(ClipboardFraming, SideViewCentredOnTheOrigin) {
  Copy c;
  c.design.show_actual_map = c.design.show_generators = c.design.show_measured_map = 0;
  c.view.current_view = 2;
  c.view.view_centre_x = 0.3;
  const auto shapes = c.Paint().Shapes();
  ASSERT_EQ(shapes.size(), 1u);
  EXPECT_EQ(shapes[0], "Rectangle(50, 210, 451, 211)");  // y -0.5..0.5, z 0.1
}

TEST(ClipboardFraming, FieldSamplesFollowTheDrawingAreaSize) {
  Copy c;
  c.design.show_actual_map = c.design.show_generators = c.design.show_bed = c.design.show_measured_map = 0;
  c.design.show_b_field = 1;
  const auto moves = c.Paint().Of(RecordingCanvas::Kind::kMoveTo);
  EXPECT_EQ(moves.size(), 23u * 18u);
  EXPECT_EQ(moves.back().a, 770);
  EXPECT_EQ(moves.back().b, 595);
}

}  // namespace
}  // namespace orvendi
