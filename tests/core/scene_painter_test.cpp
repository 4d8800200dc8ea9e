#include "core/views/scene_painter.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "support/recording_canvas.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

const Pen kDefaultPen{};
const Brush kDefaultBrush{};

struct Scene {
  Scene() {
    FakeHost host;
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
  }
  void OnlyLayer(std::int32_t DesignRecord::*flag) {
    design.show_actual_map = design.show_generators = design.show_bed = 0;
    design.show_b_field = design.show_measured_map = 0;
    design.*flag = 1;
  }
  RecordingCanvas Paint() const {
    RecordingCanvas canvas;
    PaintScene(canvas, design, view, results, bed_handles);
    return canvas;
  }
  DesignRecord design;
  ViewState view;
  ResultBuffer results;
  bool bed_handles = false;
};

TEST(ScenePainting, NothingWhenEveryLayerIsOff) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_actual_map);
  s.design.show_actual_map = 0;
  EXPECT_TRUE(s.Paint().calls.empty());
}

TEST(ScenePainting, LayersInOrderAndEachRestoresThePenAndBrush) {
  Scene s;
  s.design.show_b_field = 1;
  s.design.results_valid = 1;
  ScanState scan;
  ScanStart(scan, s.design);
  ScanPoint p;
  while (ScanNextAlongFirst(scan, p)) {
    double* slot = s.results.Slot(p.first_index, p.second_index);
    slot[0] = p.x + 0.01;
    slot[1] = p.y;
    slot[2] = p.z;
  }
  RecordingCanvas canvas = s.Paint();
  // Colour of the pen of each run of calls, in the order the layers come.
  std::vector<Rgb> runs;
  for (const auto& call : canvas.calls) {
    if (runs.empty() || !(runs.back() == call.pen.colour)) runs.push_back(call.pen.colour);
  }
  EXPECT_EQ(runs, (std::vector<Rgb>{kMapGreen, kGeneratorRed, kBedTeal, kBlack, kMapBlue}));
  for (const auto& call : canvas.calls) {
    if (call.pen.colour == kBlack) {
      EXPECT_EQ(call.pen, kDefaultPen);  // the field layer draws with the default pen
      EXPECT_EQ(call.brush, kDefaultBrush);
    }
  }
  EXPECT_EQ(canvas.pen(), kDefaultPen);
  EXPECT_EQ(canvas.brush(), kDefaultBrush);
  EXPECT_FALSE(canvas.invert());
}

TEST(ScenePainting, GeneratorIsARedDiscOnItsPixel) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_generators);
  SetGeneratorPosition(s.design.generators[1], 0.0, 0.0, 0.0);
  RecordingCanvas canvas = s.Paint();
  ASSERT_EQ(canvas.calls.size(), 3u);
  EXPECT_EQ(canvas.calls[0].Shape(), "Ellipse(397, 401, 404, 408)");  // (0, -0.26): y 404
  EXPECT_EQ(canvas.calls[1].Shape(), "Ellipse(397, 297, 404, 304)");  // view centre +-3
  EXPECT_EQ(canvas.calls[2].Shape(), "Ellipse(497, 197, 504, 204)");
  for (const auto& call : canvas.calls) {
    EXPECT_EQ(call.pen, (Pen{1, kGeneratorRed, false}));
    EXPECT_EQ(call.brush, (Brush{kGeneratorRed, false}));
  }
}

TEST(ScenePainting, BedRectangleCoversBothCornerPixels) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_bed);
  // Corners at window (300, 500) and (500, 100).
  s.design.bed_x1 = -0.25;
  s.design.bed_y1 = -0.5;
  s.design.bed_x2 = 0.25;
  s.design.bed_y2 = 0.5;
  RecordingCanvas canvas = s.Paint();
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].Shape(), "Rectangle(300, 501, 501, 100)");
  EXPECT_EQ(canvas.calls[0].pen, (Pen{3, kBedTeal, false}));
  EXPECT_TRUE(canvas.calls[0].brush.null);
}

TEST(ScenePainting, FrontViewBedIsABand) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_bed);
  s.view.current_view = 1;
  RecordingCanvas canvas = s.Paint();
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].Shape(), "Rectangle(200, 260, 601, 261)");  // y = 300 - 40
}

TEST(ScenePainting, BedHandlesWithTheDefaultPenAndBrush) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_bed);
  s.bed_handles = true;
  s.design.bed_x1 = -0.4975;  // X1 = 201, so Mx = (201 + 600) >> 1 = 400
  RecordingCanvas canvas = s.Paint();
  ASSERT_EQ(canvas.calls.size(), 9u);
  EXPECT_EQ(canvas.calls[0].Shape(), "Rectangle(201, 501, 601, 100)");
  const std::vector<std::string> handles = {"Rectangle(199, 498, 204, 503)", "Rectangle(398, 498, 403, 503)",
                                            "Rectangle(598, 498, 603, 503)", "Rectangle(598, 298, 603, 303)",
                                            "Rectangle(598, 98, 603, 103)",  "Rectangle(398, 98, 403, 103)",
                                            "Rectangle(199, 98, 204, 103)",  "Rectangle(199, 298, 204, 303)"};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(canvas.calls[k + 1].Shape(), handles[k]);
    EXPECT_EQ(canvas.calls[k + 1].pen, kDefaultPen);
    EXPECT_EQ(canvas.calls[k + 1].brush, kDefaultBrush);
  }
}

TEST(ScenePainting, ActualMapDotsAndGrid) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_actual_map);
  s.design.map_style = 0;
  RecordingCanvas dots = s.Paint();
  ASSERT_EQ(dots.calls.size(), 36u);
  EXPECT_EQ(dots.calls[0].Shape(), "Ellipse(299, 399, 302, 402)");  // (-0.25, -0.25) at (300, 400)
  EXPECT_EQ(dots.calls[1].Shape(), "Ellipse(339, 399, 342, 402)");
  EXPECT_EQ(dots.calls[0].pen, (Pen{1, kMapGreen, false}));
  EXPECT_EQ(dots.calls[0].brush, (Brush{kMapBlue, false}));

  s.design.map_style = 1;
  RecordingCanvas grid = s.Paint();
  EXPECT_EQ(grid.Of(Kind::kMoveTo).size(), 12u);
  EXPECT_EQ(grid.Of(Kind::kLineTo).size(), 60u);
  const auto shapes = grid.Shapes();
  EXPECT_EQ(shapes[0], "MoveTo(300, 400)");
  EXPECT_EQ(shapes[1], "LineTo(340, 400)");
  EXPECT_EQ(shapes[5], "LineTo(500, 400)");
  EXPECT_EQ(shapes[6], "MoveTo(300, 360)");
  EXPECT_EQ(shapes[36], "MoveTo(300, 400)");  // second pass: along y
  EXPECT_EQ(shapes[37], "LineTo(300, 360)");
}

TEST(ScenePainting, EmptyTraversalDrawsNothing) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_actual_map);
  s.design.scan_x_to = -0.4;  // a negative count: no point at all
  for (int style : {0, 1}) {
    s.design.map_style = style;
    EXPECT_TRUE(s.Paint().calls.empty());
  }
}

TEST(ScenePainting, SingleLineGridMovesThePenOnlyInTheSecondPass) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_actual_map);
  s.design.scan_y_to = s.design.scan_y_from;
  const auto shapes = s.Paint().Shapes();
  ASSERT_EQ(shapes.size(), 12u);
  EXPECT_EQ(shapes[0], "MoveTo(300, 400)");
  for (int i = 1; i < 6; ++i) EXPECT_EQ(shapes[i].substr(0, 6), "LineTo");
  for (int i = 6; i < 12; ++i) EXPECT_EQ(shapes[i].substr(0, 6), "MoveTo");
}

TEST(ScenePainting, MeasuredMapNeedsResults) {
  Scene s;
  s.OnlyLayer(&DesignRecord::show_measured_map);
  EXPECT_TRUE(s.Paint().calls.empty());
}

struct MeasuredScene : Scene {
  MeasuredScene() {
    OnlyLayer(&DesignRecord::show_measured_map);
    design.results_valid = 1;
    design.scan_y_to = design.scan_y_from + 0.1;  // 6 x 2 points
    ScanState scan;
    ScanStart(scan, design);
    ScanPoint p;
    while (ScanNextAlongFirst(scan, p)) {
      double* slot = results.Slot(p.first_index, p.second_index);
      slot[0] = p.x;
      slot[1] = p.y + 0.05;
      slot[2] = p.z;
    }
  }
};

TEST(ScenePainting, MeasuredMapDrawsTheStoredPositions) {
  MeasuredScene s;
  s.design.map_style = 0;
  RecordingCanvas dots = s.Paint();
  ASSERT_EQ(dots.calls.size(), 12u);
  EXPECT_EQ(dots.calls[0].Shape(), "Ellipse(299, 379, 302, 382)");
  EXPECT_EQ(dots.calls[0].pen, (Pen{1, kMapBlue, false}));
  EXPECT_EQ(dots.calls[0].brush, (Brush{kMapBlue, false}));
}

TEST(ScenePainting, UnplaceableMeasuredPointsAreSkippedAndBreakTheLine) {
  MeasuredScene s;
  s.results.Slot(2, 0)[0] = std::numeric_limits<double>::quiet_NaN();
  s.results.Slot(4, 0)[1] = 2e6;  // far away
  s.results.Slot(1, 1)[2] = std::numeric_limits<double>::infinity();
  s.design.map_style = 0;
  EXPECT_EQ(s.Paint().calls.size(), 9u);

  s.design.map_style = 1;
  const auto shapes = s.Paint().Shapes();
  const std::vector<std::string> first_pass = {"MoveTo(300, 380)", "LineTo(340, 380)", "MoveTo(420, 380)",
                                               "MoveTo(500, 380)", "MoveTo(300, 340)", "MoveTo(380, 340)",
                                               "LineTo(420, 340)", "LineTo(460, 340)", "LineTo(500, 340)"};
  ASSERT_GE(shapes.size(), first_pass.size());
  EXPECT_EQ(std::vector<std::string>(shapes.begin(), shapes.begin() + first_pass.size()), first_pass);
  for (const auto& line : shapes) {
    EXPECT_EQ(line.find("1000"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace orvendi
