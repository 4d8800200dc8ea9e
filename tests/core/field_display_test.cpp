#include "core/views/field_display.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/design/round_half_away.h"
#include "core/field/bed_field.h"
#include "core/field/bed_model.h"
#include "core/field/coil_field.h"
#include "support/fake_host.h"
#include "support/fake_progress.h"
#include "support/recording_canvas.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

struct Field {
  Field() {
    FakeHost host;
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
  }
  RecordingCanvas Draw() const {
    RecordingCanvas canvas;
    DrawBField(canvas, design, view);
    return canvas;
  }
  // The line drawn from a sample pixel, as "LineTo(x, y)", or empty when none.
  static std::string LineFrom(const RecordingCanvas& canvas, int px, int py) {
    const std::string move = "MoveTo(" + std::to_string(px) + ", " + std::to_string(py) + ")";
    for (size_t i = 0; i + 1 < canvas.calls.size(); ++i) {
      if (canvas.calls[i].Shape() == move) return canvas.calls[i + 1].Shape();
    }
    return {};
  }
  DesignRecord design;
  ViewState view;
};

TEST(FieldDisplay, LinesAtTheWorkedSamples) {
  Field f;
  const RecordingCanvas canvas = f.Draw();
  EXPECT_EQ(Field::LineFrom(canvas, 420, 315), "LineTo(408, 306)");
  EXPECT_EQ(Field::LineFrom(canvas, 385, 280), "LineTo(371, 285)");
  // 23 columns (0..770) by 18 rows (0..595), every one of them with a field.
  EXPECT_EQ(canvas.Of(Kind::kMoveTo).size(), 23u * 18u);
  EXPECT_EQ(canvas.calls.front().Shape(), "MoveTo(0, 0)");
  EXPECT_EQ(canvas.calls[2].Shape(), "MoveTo(35, 0)");
  EXPECT_EQ(canvas.calls[46].Shape(), "MoveTo(0, 35)");
  for (const auto& call : canvas.calls) {
    if (call.kind == Kind::kLineTo) continue;
    const int dx = call.a % kFieldGridStep;
    EXPECT_EQ(dx, 0);
  }
}

TEST(FieldDisplay, ZCoilInItsOwnPlaneGivesLinesOfNoLength) {
  Field f;
  f.design.coil_display = {0, 0, 1, 0, 0, 0, 0, 0, 0};
  const RecordingCanvas canvas = f.Draw();
  ASSERT_FALSE(canvas.calls.empty());
  for (size_t i = 0; i + 1 < canvas.calls.size(); i += 2) {
    EXPECT_EQ(canvas.calls[i + 1].a, canvas.calls[i].a);
    EXPECT_EQ(canvas.calls[i + 1].b, canvas.calls[i].b);
  }
}

TEST(FieldDisplay, NoCoilNoLines) {
  Field f;
  f.design.coil_display = {};
  f.design.display_bed_field = 1;
  f.design.bed_currents.fill(Phasor(1.0, 1.0));
  EXPECT_TRUE(f.Draw().calls.empty());
}

TEST(FieldDisplay, BedFieldWithoutModelRunChangesNothing) {
  Field f;
  const auto without = f.Draw().Shapes();
  f.design.display_bed_field = 1;
  EXPECT_EQ(f.Draw().Shapes(), without);
}

TEST(FieldDisplay, BedFieldAfterTheModelRunBendsTheLines) {
  Field f;
  f.design.coil_display.fill(1);
  const auto without = f.Draw().Shapes();
  testing::FakeProgress progress;
  ASSERT_TRUE(ComputeBedModel(f.design, progress));
  f.design.display_bed_field = 1;
  EXPECT_NE(f.Draw().Shapes(), without);
}

TEST(FieldDisplay, NarrowAreaStillSamplesColumnZero) {
  Field f;
  UpdateWindowCentre(f.view, 20, 100);
  const RecordingCanvas canvas = f.Draw();
  const auto moves = canvas.Of(Kind::kMoveTo);
  ASSERT_EQ(moves.size(), 3u);
  for (const auto& m : moves) EXPECT_EQ(m.a, 0);
  UpdateWindowCentre(f.view, 0, 0);
  EXPECT_EQ(f.Draw().Of(Kind::kMoveTo).size(), 1u);
}

TEST(FieldDisplay, FrontViewShowsXAndZ) {
  Field f;
  f.view.current_view = 1;
  f.view.view_centre_y = -0.26;  // slice through generator 0
  const RecordingCanvas front = f.Draw();
  // A sample in the slice y = -0.26: horizontal is world x, vertical world z.
  const Vector3 p{WindowToWorldX(f.view, 420), -0.26, WindowToWorldZ(f.view, 280)};
  const Vector3 b = CoilFieldX(f.design.generators[0], p);
  const double m = std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z);
  const int ex = RoundHalfAway(b.x * 15 / m);
  const int ey = RoundHalfAway(15 * b.z / m);
  EXPECT_EQ(Field::LineFrom(front, 420, 280),
            "LineTo(" + std::to_string(420 + ex) + ", " + std::to_string(280 - ey) + ")");
  EXPECT_NE(ex, 0);
  EXPECT_NE(ey, 0);
}

TEST(FieldDisplay, NonFiniteFieldsDrawNothing) {
  Field f;
  SetGeneratorPosition(f.design.generators[0], std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0);
  EXPECT_TRUE(f.Draw().calls.empty());
  Field g;
  g.design.display_bed_field = 1;
  g.design.bed_currents[0] = Phasor(std::numeric_limits<double>::infinity(), 0.0);
  const RecordingCanvas canvas = g.Draw();
  for (const auto& call : canvas.calls) {
    EXPECT_LT(std::abs(call.a), 1000);
    EXPECT_LT(std::abs(call.b), 1000);
  }
}

// The plain sum the layer stands for.
Vector3 PlainSum(const DesignRecord& design, const Vector3& p) {
  Vector3 b;
  for (int k = 0; k < kCoilCount; ++k) {
    if (design.coil_display[k] == 0) continue;
    b += CoilField(design.generators[k / 3], k % 3, p);
    if (design.display_bed_field != 0) b += BedField(design, p, BedCurrentMagnitude(design.bed_currents[k]));
  }
  return b;
}

TEST(FieldDisplay, PreparedSidesGiveTheSameFieldBitForBit) {
  DesignRecord design;
  ViewState view;
  FakeHost host;
  ApplyViewDefaults(view, host);
  ApplyDesignDefaults(design);
  design.bed_x1 = -0.31;
  design.bed_y2 = 0.47;
  design.coil_display = {1, 1, 1, 1, 0, 1, 1, 1, 1};
  design.display_bed_field = 1;
  for (int k = 0; k < kCoilCount; ++k) design.bed_currents[k] = Phasor(1e-3 * k, -2e-4 * (k + 1));
  SetGeneratorPosition(design.generators[1], -0.1, 0.13, 0.02);
  for (int dipole : {1, 0}) {
    for (GeneratorRecord& g : design.generators) g.real_dipole = dipole;
    design.generators[2].real_dipole = 1 - dipole;
    const FieldDisplaySetup setup = PrepareFieldDisplay(design);
    for (int i = 0; i < 500; ++i) {
      const Vector3 p{-0.7 + 0.0037 * i, 0.6 - 0.0029 * i, (i % 7) * 0.05 - 0.1};
      const Vector3 expected = PlainSum(design, p);
      const Vector3 got = DisplayedField(setup, design, p);
      ASSERT_EQ(got.x, expected.x) << i;
      ASSERT_EQ(got.y, expected.y) << i;
      ASSERT_EQ(got.z, expected.z) << i;
    }
    // On a side's own line that side contributes nothing, in both.
    const Vector3 on_edge{0.0, design.bed_y1, design.bed_z1};
    EXPECT_EQ(DisplayedField(setup, design, on_edge), PlainSum(design, on_edge));
    const Vector3 on_coil{0.0, -0.26 + 0.01, 0.0};
    EXPECT_EQ(DisplayedField(setup, design, on_coil), PlainSum(design, on_coil));
  }
}

// With the sheet the layer adds its solved in-phase field, and none while no sheet is solved for
// the design as it is: a repaint never solves one.
TEST(FieldDisplay, TheSheetAddsItsInPhaseFieldOnceSolved) {
  DesignRecord design;
  ApplyDesignDefaults(design);
  design.bed_model = 1;
  design.bed_cells_x = design.bed_cells_y = 8;
  design.display_bed_field = 1;
  design.coil_display = {0, 0, 0, 0, 1, 0, 0, 0, 0};
  const Vector3 p{0.05, 0.1, 0.2};
  const Vector3 coil = CoilField(design.generators[1], 1, p);
  design.frequency_hz = 1234.5;  // inputs no other test solves
  EXPECT_EQ(DisplayedField(PrepareFieldDisplay(design), design, p), coil);
  testing::FakeProgress progress;
  ASSERT_TRUE(RefreshBedModel(design, progress));
  const FieldDisplaySetup setup = PrepareFieldDisplay(design);
  ASSERT_TRUE(setup.sheet);
  const Vector3 sheet = SheetField(*setup.sheet, p)[4].re;
  EXPECT_EQ(DisplayedField(setup, design, p), coil + sheet);
  EXPECT_GT(std::fabs(sheet.z), 1e-3 * std::fabs(coil.z));
}

}  // namespace
}  // namespace orvendi
