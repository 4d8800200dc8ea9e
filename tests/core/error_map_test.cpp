#include "core/views/error_map.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/estimates.h"
#include "support/fake_host.h"
#include "support/recording_canvas.h"
#include "core/views/colour_map.h"
#include "core/views/field_display.h"
#include "core/views/scene_painter.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
constexpr double kUnit = 1.0 / 1024.0;  // errors in these steps stay exact through the distance

// A 3 x 3 grid on exact binary coordinates, 0 .. 0.25 m in steps of 0.125 m, which the default
// view at 800 x 600 puts 50 pixels apart from (400, 300): x to the right, y upwards.
// The errors, in kUnit, first index across, second index down the table; -1 has no estimate:
constexpr int kErrors[3][3] = {
    {1, 2, 3},   // second index 0
    {2, 4, -1},  // second index 1
    {3, 5, 9},   // second index 2
};

struct ErrorScene {
  ErrorScene() {
    FakeHost host;
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
    design.show_generators = design.show_bed = design.show_actual_map = design.show_measured_map = 0;
    design.scan_x_from = design.scan_y_from = 0.0;
    design.scan_x_to = design.scan_y_to = 0.25;
    design.scan_x_step = design.scan_y_step = 0.125;
    design.scan_plane_z = 0.25;
    design.results_valid = 1;
    design.show_error_map = 1;
    for (int j = 0; j < 3; ++j) {
      for (int i = 0; i < 3; ++i) {
        double* slot = results.Slot(i, j);
        const int k = kErrors[j][i];
        slot[0] = k < 0 ? kNan : 0.125 * i + k * kUnit;
        slot[1] = 0.125 * j;
        slot[2] = 0.25;
      }
    }
  }
  RecordingCanvas Paint(const std::vector<MonteCarloPoint>* monte_carlo = nullptr) const {
    RecordingCanvas canvas;
    PaintScene(canvas, design, view, results, bed_handles, monte_carlo);
    return canvas;
  }
  DesignRecord design;
  ViewState view;
  ResultBuffer results;
  bool bed_handles = false;
};

Rgb Viridis(int index) { return ViridisColours()[index]; }

// The filled boxes drawn without a pen, in order.
std::vector<RecordingCanvas::Call> Fills(const RecordingCanvas& canvas) {
  std::vector<RecordingCanvas::Call> out;
  for (const auto& call : canvas.Of(Kind::kRectangle)) {
    if (call.pen.null) out.push_back(call);
  }
  return out;
}

std::vector<std::string> Texts(const RecordingCanvas& canvas) {
  std::vector<std::string> out;
  for (const auto& call : canvas.Of(Kind::kText)) out.push_back(call.text);
  return out;
}

bool IsHatchFill(const RecordingCanvas::Call& call) { return call.brush == Brush{kNoEstimateFill, false}; }

TEST(ErrorMapGridCollection, ErrorsOfTheLastRunWithTheirRangeAndTheMissingCount) {
  ErrorScene s;
  const ErrorMapGrid grid = CollectErrorMapGrid(s.design, s.results, nullptr);
  ASSERT_TRUE(grid.available);
  EXPECT_EQ(grid.first_points, 3);
  EXPECT_EQ(grid.second_points, 3);
  EXPECT_EQ(grid.values[0], 1 * kUnit);
  EXPECT_EQ(grid.values[4], 4 * kUnit);
  EXPECT_TRUE(std::isnan(grid.values[5]));
  EXPECT_EQ(grid.low_m, 1 * kUnit);
  EXPECT_EQ(grid.high_m, 9 * kUnit);
  EXPECT_EQ(grid.missing, 1);
  EXPECT_EQ(ErrorMapCellValue(grid, 0, 0), 2.25 * kUnit);
  EXPECT_TRUE(std::isnan(ErrorMapCellValue(grid, 1, 0)));

  s.design.results_valid = 0;
  EXPECT_FALSE(CollectErrorMapGrid(s.design, s.results, nullptr).available);
}

TEST(ErrorMapGridCollection, DistortionComesFromTheLastRunWithoutAMonteCarloResult) {
  ErrorScene s;
  s.design.error_map_quantity = kErrorMapDistortion;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) *s.results.Distortion(i, j) = (i + 3 * j) * kUnit;
  *s.results.Distortion(2, 2) = kNan;
  const ErrorMapGrid grid = CollectErrorMapGrid(s.design, s.results, nullptr);
  ASSERT_TRUE(grid.available);
  EXPECT_EQ(grid.values[5], 5 * kUnit);
  EXPECT_EQ(grid.high_m, 7 * kUnit);
  EXPECT_EQ(grid.missing, 1);
  EXPECT_EQ(Texts(s.Paint())[0], "Distortion (\u2030)");
  s.design.results_valid = 0;
  EXPECT_EQ(Texts(s.Paint()), (std::vector<std::string>{"Error: no results, calculate first"}));
}

TEST(ErrorMapGridCollection, TruenessPrecisionAndBoundOnlyFromAMonteCarloResultOfTheGrid) {
  ErrorScene s;
  s.design.error_map_quantity = kErrorMapTrueness;
  EXPECT_FALSE(CollectErrorMapGrid(s.design, s.results, nullptr).available);
  std::vector<MonteCarloPoint> points(9);
  for (int k = 0; k < 9; ++k) {
    points[k].trueness_m = k * kUnit;
    points[k].precision_m = k == 3 ? kNan : 100 * kUnit - k * kUnit;
    points[k].bound_m = k == 5 ? kInf : 50 * kUnit + k * kUnit;
  }
  const ErrorMapGrid trueness = CollectErrorMapGrid(s.design, s.results, &points);
  ASSERT_TRUE(trueness.available);
  EXPECT_EQ(trueness.low_m, 0.0);
  EXPECT_EQ(trueness.high_m, 8 * kUnit);
  EXPECT_EQ(trueness.missing, 0);

  s.design.error_map_quantity = kErrorMapPrecision;
  const ErrorMapGrid precision = CollectErrorMapGrid(s.design, s.results, &points);
  EXPECT_EQ(precision.low_m, 92 * kUnit);
  EXPECT_EQ(precision.high_m, 100 * kUnit);
  EXPECT_EQ(precision.missing, 1);

  s.design.error_map_quantity = kErrorMapBound;
  const ErrorMapGrid bound = CollectErrorMapGrid(s.design, s.results, &points);
  EXPECT_EQ(bound.low_m, 50 * kUnit);
  EXPECT_EQ(bound.high_m, 58 * kUnit);
  EXPECT_EQ(bound.missing, 1);

  points.pop_back();  // a result of some other grid
  EXPECT_FALSE(CollectErrorMapGrid(s.design, s.results, &points).available);
}

TEST(ErrorMapGridCollection, BoundFromItsOwnRunBeforeTheMonteCarloOne) {
  ErrorScene s;
  s.design.error_map_quantity = kErrorMapBound;
  std::vector<MonteCarloPoint> monte_carlo(9);
  std::vector<BoundPoint> bounds(9);
  for (int k = 0; k < 9; ++k) {
    monte_carlo[k].bound_m = 50 * kUnit;
    monte_carlo[k].trueness_m = kUnit;
    bounds[k].bound_m = k == 0 ? kInf : k * kUnit;
  }
  const ErrorMapGrid own = CollectErrorMapGrid(s.design, s.results, nullptr, &bounds);
  ASSERT_TRUE(own.available);
  EXPECT_EQ(own.low_m, kUnit);
  EXPECT_EQ(own.high_m, 8 * kUnit);
  EXPECT_EQ(own.missing, 1);
  EXPECT_EQ(CollectErrorMapGrid(s.design, s.results, &monte_carlo, &bounds).high_m, 8 * kUnit);

  // Another grid's bounds give way to the Monte-Carlo run's; other quantities never use them.
  bounds.pop_back();
  EXPECT_EQ(CollectErrorMapGrid(s.design, s.results, &monte_carlo, &bounds).high_m, 50 * kUnit);
  EXPECT_FALSE(CollectErrorMapGrid(s.design, s.results, nullptr, &bounds).available);
  bounds.resize(9);
  s.design.error_map_quantity = kErrorMapTrueness;
  EXPECT_FALSE(CollectErrorMapGrid(s.design, s.results, nullptr, &bounds).available);
}

TEST(ErrorMapGridCollection, InfiniteErrorsCountAsMissing) {
  ErrorScene s;
  s.results.Slot(2, 2)[0] = 1e300;
  const ErrorMapGrid grid = CollectErrorMapGrid(s.design, s.results, nullptr);
  EXPECT_EQ(grid.missing, 2);  // 1e300 squared overflows: no usable figure
  EXPECT_EQ(grid.high_m, 5 * kUnit);
}

TEST(ErrorMapPainting, CellsCarryTheColourOfTheirCornersMean) {
  ErrorScene s;
  const RecordingCanvas canvas = s.Paint();
  const auto fills = Fills(canvas);
  // Cells in second-index rows, the 256 columns of the legend's bar, the legend's hatched swatch.
  ASSERT_EQ(fills.size(), 4u + kColourMapSize + 1u);
  // Cell (0, 0): mean 2.25 on [1, 9] is 5/32 of the way, entry 40 of 255.
  EXPECT_EQ(fills[0].Shape(), "Rectangle(400, 250, 450, 300)");
  EXPECT_EQ(fills[0].brush, (Brush{Viridis(40), false}));
  // Cell (1, 0) has the corner without an estimate.
  EXPECT_EQ(fills[1].Shape(), "Rectangle(450, 250, 500, 300)");
  EXPECT_TRUE(IsHatchFill(fills[1]));
  // Cell (0, 1): mean 3.5, 5/16 of the way, entry 80.
  EXPECT_EQ(fills[2].Shape(), "Rectangle(400, 200, 450, 250)");
  EXPECT_EQ(fills[2].brush, (Brush{Viridis(80), false}));
  EXPECT_EQ(fills[3].Shape(), "Rectangle(450, 200, 500, 250)");
  EXPECT_TRUE(IsHatchFill(fills[3]));
  // The map comes before anything else and leaves the default pen and brush behind.
  EXPECT_EQ(canvas.calls[0].Shape(), "Rectangle(400, 250, 450, 300)");
  EXPECT_EQ(canvas.pen(), Pen{});
  EXPECT_EQ(canvas.brush(), Brush{});
}

TEST(ErrorMapPainting, HatchLinesStayInsideTheirCellAndContinueAcrossCells) {
  ErrorScene s;
  const RecordingCanvas canvas = s.Paint();
  int lines = 0;
  int move_x = 0, move_y = 0;
  for (const auto& call : canvas.calls) {
    if (!(call.pen == Pen{1, kNoEstimateHatch, false})) continue;
    if (call.kind == Kind::kMoveTo) {
      move_x = call.a, move_y = call.b;
      EXPECT_EQ((move_x + move_y) % kHatchSpacing, 0) << call.Shape();
    } else if (call.kind == Kind::kLineTo) {
      ++lines;
      // A 45-degree line; its end is left out, so the last pixel drawn is one step back.
      EXPECT_EQ(call.a - move_x, move_y - call.b) << call.Shape();
      const int last_x = call.a - 1, last_y = call.b + 1;
      const bool in_cell_10 = move_x >= 450 && last_x <= 499 && move_y <= 299 && last_y >= 250;
      const bool in_cell_11 = move_x >= 450 && last_x <= 499 && move_y <= 249 && last_y >= 200;
      const bool in_swatch = move_x < 400;
      EXPECT_TRUE(in_cell_10 || in_cell_11 || in_swatch) << call.Shape();
    }
  }
  // 50 x 50 pixels: x + y runs over 99 values, every fourth has a line; two cells and the swatch.
  EXPECT_GE(lines, 2 * 24);
}

TEST(ErrorMapPainting, LegendNamesTheQuantityTheRangeInMillimetresAndTheMissingPoints) {
  ErrorScene s;
  const RecordingCanvas canvas = s.Paint();
  EXPECT_EQ(Texts(canvas),
            (std::vector<std::string>{"Error (mm)", "0.977", "8.79", "1 point without an estimate"}));
  const auto fills = Fills(canvas);
  // The bar: one column per entry of the table, left to right, under the title.
  const int bar_left = kLegendLeft + kLegendPadding;
  for (int k = 0; k < kColourMapSize; ++k) {
    const auto& column = fills[4 + k];
    EXPECT_EQ(column.a, bar_left + k);
    EXPECT_EQ(column.c, bar_left + k + 1);
    EXPECT_EQ(column.d - column.b, kLegendBarHeight);
    EXPECT_EQ(column.brush, (Brush{Viridis(k), false}));
  }
  // The box is framed in black, filled white and drawn before its contents.
  const RecordingCanvas::Call* frame = nullptr;
  const auto rectangles = canvas.Of(Kind::kRectangle);
  for (const auto& call : rectangles) {
    if (call.a == kLegendLeft && call.b == kLegendTop) frame = &call;
  }
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->pen, (Pen{1, kBlack, false}));
  EXPECT_EQ(frame->brush, (Brush{kWhite, false}));
  // The highest figure ends where the bar ends (6 pixels per character here).
  const auto texts = canvas.Of(Kind::kText);
  EXPECT_EQ(texts[2].a + 4 * 6, bar_left + kColourMapSize);
  EXPECT_EQ(texts[1].b, texts[2].b);
  // The hatched swatch sits on the line of the missing count.
  const auto hatch = std::find_if(canvas.calls.begin(), canvas.calls.end(), [&](const auto& call) {
    return call.kind == Kind::kRectangle && IsHatchFill(call) && call.a == bar_left;
  });
  ASSERT_NE(hatch, canvas.calls.end());
  EXPECT_EQ(hatch->b, texts[3].b);
  EXPECT_LE(hatch->c, texts[3].a);
}

TEST(ErrorMapPainting, WithoutAnyMissingPointTheLegendSaysNothingOfThem) {
  ErrorScene s;
  s.results.Slot(2, 1)[0] = 0.25 + 6 * kUnit;
  const RecordingCanvas canvas = s.Paint();
  EXPECT_EQ(Texts(canvas), (std::vector<std::string>{"Error (mm)", "0.977", "8.79"}));
  for (const auto& fill : Fills(canvas)) EXPECT_FALSE(IsHatchFill(fill)) << fill.Shape();
}

TEST(ErrorMapPainting, TruenessAndPrecisionWaitForAMonteCarloResult) {
  ErrorScene s;
  s.design.error_map_quantity = kErrorMapTrueness;
  RecordingCanvas none = s.Paint();
  EXPECT_EQ(Texts(none), (std::vector<std::string>{"No Monte-Carlo result for this design"}));
  EXPECT_TRUE(Fills(none).empty());

  std::vector<MonteCarloPoint> points(9);
  for (int k = 0; k < 9; ++k) points[k].trueness_m = points[k].precision_m = (k + 1) * kUnit;
  const RecordingCanvas trueness = s.Paint(&points);
  EXPECT_EQ(Texts(trueness)[0], "Trueness (mm)");
  EXPECT_EQ(Fills(trueness).size(), 4u + kColourMapSize);
  s.design.error_map_quantity = kErrorMapPrecision;
  EXPECT_EQ(Texts(s.Paint(&points))[0], "Precision (mm)");

  s.design.error_map_quantity = kErrorMapError;
  s.design.results_valid = 0;
  EXPECT_EQ(Texts(s.Paint()), (std::vector<std::string>{"Error: no results, calculate first"}));
}

TEST(ErrorMapPainting, AViewEdgeOnToThePlaneShowsABandOfTheWorstCellBehind) {
  ErrorScene s;
  s.view.current_view = 1;  // front: x across, the plane z = 0.25 m on the line y = 200
  const auto front = Fills(s.Paint());
  ASSERT_EQ(front.size(), 2u + kColourMapSize + 1u);
  EXPECT_EQ(front[0].Shape(), "Rectangle(400, 195, 450, 205)");
  EXPECT_EQ(front[0].brush, (Brush{Viridis(80), false}));  // cells 2.25 and 3.5 behind
  EXPECT_EQ(front[1].Shape(), "Rectangle(450, 195, 500, 205)");
  EXPECT_TRUE(IsHatchFill(front[1]));

  s.design.scan_plane = 1;  // y-z plane at x = 0: the plan view sees it as a line along y
  s.design.scan_plane_x = 0.0;
  s.design.scan_z_from = 0.0, s.design.scan_z_to = 0.25, s.design.scan_z_step = 0.125;
  s.view.current_view = 0;
  const auto plan = Fills(s.Paint());
  ASSERT_GE(plan.size(), 2u);
  EXPECT_EQ(plan[0].Shape(), "Rectangle(395, 250, 405, 300)");
  EXPECT_EQ(plan[1].Shape(), "Rectangle(395, 200, 405, 250)");
  EXPECT_TRUE(ViewShowsScanPlane(2, 1));
  EXPECT_TRUE(ViewShowsScanPlane(1, 2));
  EXPECT_FALSE(ViewShowsScanPlane(0, 1));
}

TEST(ErrorMapPainting, AGridOfOneRowHasNoCells) {
  ErrorScene s;
  s.design.scan_y_to = 0.0;
  const RecordingCanvas canvas = s.Paint();
  EXPECT_EQ(Fills(canvas).size(), static_cast<std::size_t>(kColourMapSize));
}

// The layers in the order the scene had before the error map, each drawn on its own.
RecordingCanvas TodaysPicture(const DesignRecord& design, const ViewState& view, const ResultBuffer& results,
                              bool bed_handles) {
  RecordingCanvas canvas;
  if (design.show_actual_map != 0) DrawActualMap(canvas, design, view);
  if (design.show_generators != 0) {
    for (const GeneratorRecord& generator : design.generators) DrawGenerator(canvas, generator, view);
  }
  if (design.show_bed != 0) DrawBed(canvas, design, view, bed_handles);
  if (design.show_b_field != 0) DrawBField(canvas, design, view);
  if (design.results_valid != 0 && design.show_measured_map != 0) {
    // The measured map as it was: the stored positions themselves, unplaceable ones skipped.
    ScopedPen pen(canvas, Pen{1, kMapBlue, false});
    ScopedBrush brush(canvas, Brush{kMapBlue, false});
    ScanState scan;
    ScanStart(scan, design);
    ScanPoint p;
    while (ScanNextAlongFirst(scan, p)) {
      const double* m = results.Slot(p.first_index, p.second_index);
      if (!std::isfinite(m[0]) || !std::isfinite(m[1]) || !std::isfinite(m[2])) continue;
      const int x = WorldToWindowX(view, m[0], m[1]);
      const int y = WorldToWindowY(view, m[1], m[2]);
      canvas.Ellipse(x - 1, y - 1, x + 2, y + 2);
    }
  }
  return canvas;
}

void ExpectSameCalls(const RecordingCanvas& actual, const RecordingCanvas& expected) {
  ASSERT_EQ(actual.calls.size(), expected.calls.size());
  for (std::size_t k = 0; k < actual.calls.size(); ++k) {
    const auto& a = actual.calls[k];
    const auto& e = expected.calls[k];
    EXPECT_EQ(a.Shape(), e.Shape()) << k;
    EXPECT_EQ(a.pen, e.pen) << k;
    EXPECT_EQ(a.brush, e.brush) << k;
    EXPECT_EQ(a.invert, e.invert) << k;
  }
}

TEST(ErrorMapPainting, WithEveryNewOptionOffThePictureIsTodays) {
  ErrorScene s;
  ApplyDesignDefaults(s.design);  // every layer of the program's start, the new options off
  s.design.results_valid = 1;
  s.design.show_b_field = 1;
  s.bed_handles = true;
  s.design.map_style = 0;
  // Estimates off the grid's values, where true + 1 * (estimate - true) need not give them back.
  testing::FillEstimates(s.design, s.results, [](const ScanPoint& p) {
    return std::array<double, 3>{p.x + 0.1 / 3, p.y - 1e-3 / 7,
                                 (p.first_index + p.second_index) % 5 == 0 ? kNan : p.z};
  });
  for (int view : {0, 1, 2}) {
    s.view.current_view = view;
    ExpectSameCalls(s.Paint(), TodaysPicture(s.design, s.view, s.results, s.bed_handles));
  }
  // The quantity alone changes nothing while the map is off.
  s.design.error_map_quantity = kErrorMapPrecision;
  ExpectSameCalls(s.Paint(), TodaysPicture(s.design, s.view, s.results, s.bed_handles));
}

TEST(ErrorMagnification, TheMeasuredMapMovesAwayFromTheTruePointByTheFactor) {
  ErrorScene s;
  s.design.show_error_map = 0;
  s.design.show_measured_map = 1;
  s.design.map_style = 0;
  s.design.error_magnification = 10.0;
  const RecordingCanvas canvas = s.Paint();
  const auto dots = canvas.Of(Kind::kEllipse);
  ASSERT_EQ(dots.size(), 8u);
  // (0, 0) estimated 1/1024 m to the right: 10/1024 m, 3.9 pixels, at 100 %.
  EXPECT_EQ(dots[0].Shape(), "Ellipse(403, 299, 406, 302)");
  // (0.125, 0) with 2/1024 m: 0.125 + 20/1024 m lands at pixel 458.
  EXPECT_EQ(dots[1].Shape(), "Ellipse(457, 299, 460, 302)");
  EXPECT_EQ(Texts(canvas), (std::vector<std::string>{"Measured map: error \u00d7 10"}));

  s.design.error_magnification = 1.0;
  const RecordingCanvas plain = s.Paint();
  EXPECT_EQ(plain.Of(Kind::kEllipse)[1].Shape(), "Ellipse(450, 299, 453, 302)");
  EXPECT_TRUE(plain.Of(Kind::kText).empty());
  EXPECT_TRUE(plain.Of(Kind::kRectangle).empty());
}

TEST(ErrorMagnification, FactorOneGivesTheEstimateItself) {
  EXPECT_EQ(MagnifiedCoordinate(0.1, 0.30000000000000004, 1.0), 0.30000000000000004);
  EXPECT_EQ(MagnifiedCoordinate(0.5, 0.5 + kUnit, 1000.0), 0.5 + 1000 * kUnit);
  // Far beyond the drawing the point is skipped, not wrapped.
  EXPECT_FALSE(std::isfinite(MagnifiedCoordinate(0.0, 1e305, 1e6)));
}

TEST(ErrorMagnification, TheLegendStatesTheFactorWhileTheMeasuredMapIsShown) {
  ErrorScene s;
  s.design.error_magnification = 250.5;
  s.design.show_measured_map = 1;
  const auto texts = Texts(s.Paint());
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "Measured map: error \u00d7 250.5");
  EXPECT_EQ(texts.front(), "Error (mm)");
  s.design.show_measured_map = 0;
  EXPECT_EQ(Texts(s.Paint()), (std::vector<std::string>{"Error (mm)", "0.977", "8.79", "1 point without an estimate"}));
  s.design.show_error_map = 0;
  EXPECT_TRUE(Texts(s.Paint()).empty());
}

TEST(ErrorMapPainting, WithoutAnyFigureTheLegendSaysSoInsteadOfABar) {
  ErrorScene s;
  for (int k = 0; k < 9; ++k) s.results.Slot(k % 3, k / 3)[0] = kNan;
  const RecordingCanvas errors = s.Paint();
  EXPECT_EQ(Texts(errors), (std::vector<std::string>{"Error (mm)", "No point has an estimate"}));
  EXPECT_LT(Fills(errors).size(), std::size_t{kColourMapSize});  // no bar's columns
  s.design.error_map_quantity = kErrorMapBound;
  const std::vector<MonteCarloPoint> points(9);  // no bound anywhere
  EXPECT_EQ(Texts(s.Paint(&points)), (std::vector<std::string>{"Precision bound (mm)", "No point has a finite bound"}));
}

// CIE lightness L* (0 black .. 100 white) of an sRGB colour.
double Lightness(const Rgb& c) {
  const auto linear = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  const double y = 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
  const double f = y > 216.0 / 24389.0 ? std::cbrt(y) : (24389.0 / 27.0 * y + 16.0) / 116.0;
  return 116.0 * f - 16.0;
}

TEST(ColourMap, ViridisRunsFromDarkVioletToYellowGettingLighter) {
  const auto& colours = ViridisColours();
  EXPECT_EQ(colours.front(), (Rgb{68, 1, 84}));
  EXPECT_EQ(colours[128], (Rgb{33, 145, 140}));
  EXPECT_EQ(colours.back(), (Rgb{253, 231, 37}));
  // Perceptually ordered: lightness climbs steadily (8-bit rounding may hold it for one entry),
  // so a grey print keeps the order.
  EXPECT_NEAR(Lightness(colours.front()), 15.0, 1.0);
  EXPECT_NEAR(Lightness(colours.back()), 91.0, 1.0);
  for (int k = 2; k < kColourMapSize; ++k)
    EXPECT_GT(Lightness(colours[k]), Lightness(colours[k - 2]) + 0.2) << k;
}

TEST(ColourMap, IndexOfAValueOnTheScale) {
  EXPECT_EQ(ColourIndex(1.0, 1.0, 9.0), 0);
  EXPECT_EQ(ColourIndex(9.0, 1.0, 9.0), 255);
  EXPECT_EQ(ColourIndex(5.0, 1.0, 9.0), 128);  // 127.5 rounds up
  EXPECT_EQ(ColourIndex(-3.0, 1.0, 9.0), 0);
  EXPECT_EQ(ColourIndex(1e300, 1.0, 9.0), 255);
  EXPECT_EQ(ColourIndex(kNan, 1.0, 9.0), 0);
  EXPECT_EQ(ColourIndex(2.0, 2.0, 2.0), 0);  // one value only
  EXPECT_EQ(ColourIndex(2.0, -1e308, 1e308), 0);
}

}  // namespace
}  // namespace orvendi
