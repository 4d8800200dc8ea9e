#include "core/views/infobar.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <utility>

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "support/recording_canvas.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

TEST(InfobarLayoutTest, FieldEdgesForALetterWidthOfSix) {
  const InfobarLayout l = ComputeInfobarLayout({156, 13});
  EXPECT_EQ(l.char_width, 6);
  EXPECT_EQ(l.coord_step, 48);
  EXPECT_EQ(l.infobar_height, 19);
  EXPECT_EQ(l.coord_field_left, 2);
  EXPECT_EQ(l.coord_field_right, 146);
  EXPECT_EQ(l.view_field_left, 148);
  EXPECT_EQ(l.view_field_right, 208);
  EXPECT_EQ(l.mode_field_left, 210);
  EXPECT_EQ(l.mode_field_right, 306);
  EXPECT_EQ(l.spare_field_left, 308);
  EXPECT_EQ(ComputeInfobarLayout({170, 13}).char_width, 6);
  EXPECT_EQ(ComputeInfobarLayout({181, 13}).char_width, 6);
  EXPECT_EQ(ComputeInfobarLayout({182, 13}).char_width, 7);
}

TEST(InfobarLayoutTest, FieldsWidenForTextsWiderThanTheirLetters) {
  // Six pixels a character, capitals as lower case: "Position Generators" needs 114 of the mode
  // field's nominal 96 pixels, "Front View" 60 of 60, "X: -9.999" 54 of 48.
  RecordingCanvas canvas;
  const InfobarLayout l = MeasureInfobarLayout(canvas);
  EXPECT_EQ(l.char_width, 6);
  EXPECT_EQ(l.infobar_height, 19);
  EXPECT_EQ(l.coord_step, 54);
  EXPECT_EQ(l.coord_field_left, 2);
  EXPECT_EQ(l.coord_field_right, 2 + 3 * 54 + 4);
  EXPECT_EQ(l.view_field_left, l.coord_field_right + 2);
  EXPECT_EQ(l.view_field_right, l.view_field_left + 60 + 4);
  EXPECT_EQ(l.mode_field_left, l.view_field_right + 2);
  EXPECT_EQ(l.mode_field_right, l.mode_field_left + 114 + 4);
  EXPECT_EQ(l.spare_field_left, l.mode_field_right + 2);

  // Texts that fit their letters leave the nominal layout.
  EXPECT_EQ(ComputeInfobarLayout({156, 13}, {44, 56, 92}), ComputeInfobarLayout({156, 13}));
}

TEST(InfobarText, CoordinateFormats) {
  EXPECT_EQ(FormatCoordinate('X', 0.25), "X: 0.250   ");
  EXPECT_EQ(FormatCoordinate('X', -0.5), "X: -0.500   ");
  EXPECT_EQ(FormatCoordinate('Y', 0.0), "Y: 0.000   ");
  EXPECT_EQ(FormatCoordinate('X', 0.0005), "X: 0.001   ");  // halves round up in fixed notation
  EXPECT_EQ(FormatCoordinate('X', std::numeric_limits<double>::infinity()), "X: inf     ");
  EXPECT_EQ(FormatCoordinate('X', -std::numeric_limits<double>::infinity()), "X: -inf    ");
  EXPECT_EQ(FormatCoordinate('X', std::numeric_limits<double>::quiet_NaN()), "X: nan     ");
  // No wider than "-9.999", the text the field is measured for, however far the view is moved.
  const std::pair<double, const char*> large[] = {
      {99.9994, "99.999"}, {-12.3456, "-12.35"},   {12345.6789, "12346"}, {-123456.7, "-1.2e5"},
      {1.5e12, "1.5e12"},  {-1.797e308, "-2e308"}, {999999.7, "1.00e6"}};
  for (const auto& [value, text] : large)
    EXPECT_EQ(FormatCoordinate('Y', value), std::string("Y: ") + text + "   ");
}

TEST(InfobarText, DesktopLocaleDoesNotChangeTheDecimalPoint) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_ALL, "de_DE.utf8") == nullptr) GTEST_SKIP() << "no German locale here";
  char check[16];
  std::snprintf(check, sizeof check, "%.1f", 0.5);
  const std::string text = FormatCoordinate('X', 0.25);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_STREQ(check, "0,5");  // the locale is really in force
  EXPECT_EQ(text, "X: 0.250   ");
}

TEST(InfobarText, ViewAndModeNames) {
  EXPECT_EQ(ViewName(0), "Plan View");
  EXPECT_EQ(ViewName(1), "Front View");
  EXPECT_EQ(ViewName(2), "Side View");
  EXPECT_EQ(ViewName(3), "");
  EXPECT_EQ(ModeName(0), "Position Generators");
  EXPECT_EQ(ModeName(1), "Modify Bed");
  EXPECT_EQ(ModeName(-1), "");
}

struct Strip {
  Strip() {
    FakeHost host;
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
  }
  RecordingCanvas Paint(int width, int px, int py) const {
    RecordingCanvas canvas;
    PaintInfobar(canvas, layout, width, px, py, view, design);
    return canvas;
  }
  DesignRecord design;
  ViewState view;
  InfobarLayout layout = ComputeInfobarLayout({156, 13});
};

TEST(InfobarPaint, PointerCoordinatesInTheFirstField) {
  Strip s;
  const RecordingCanvas canvas = s.Paint(900, 500, 260);
  const auto texts = canvas.Of(Kind::kText);
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0].Shape(), "Text(5, 3, \"X: 0.250   \")");
  EXPECT_EQ(texts[1].Shape(), "Text(53, 3, \"Y: 0.100   \")");
  EXPECT_EQ(texts[2].Shape(), "Text(101, 3, \"Z: 0.000   \")");
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(texts[i].style.opaque);
    EXPECT_EQ(texts[i].style.background, kInfobarGrey);
    EXPECT_EQ(texts[i].style.font, InfobarFont());
  }
  EXPECT_EQ(texts[3].Shape(), "Text(151, 3, \"Plan View\")");
  EXPECT_EQ(texts[4].Shape(), "Text(213, 3, \"Position Generators\")");
  EXPECT_FALSE(texts[3].style.opaque);
  EXPECT_FALSE(texts[4].style.opaque);
}

TEST(InfobarPaint, FrontAndSideViewsReadTheViewCentreForTheHiddenAxis) {
  Strip s;
  s.view.current_view = 1;
  s.view.view_centre_y = -0.3;
  s.design.edit_mode = 1;
  auto texts = s.Paint(900, 0, 0).Of(Kind::kText);
  EXPECT_EQ(texts[1].text, "Y: -0.300   ");
  EXPECT_EQ(texts[2].text, "Z: 0.750   ");
  EXPECT_EQ(texts[3].text, "Front View");
  EXPECT_EQ(texts[4].text, "Modify Bed");
  s.view.current_view = 2;
  s.view.view_centre_x = 0.2;
  texts = s.Paint(900, -4000, 0).Of(Kind::kText);
  EXPECT_EQ(texts[0].text, "X: 0.200   ");
  EXPECT_EQ(texts[1].text, "Y: -11.30   ");  // a pointer outside the area still reads
}

TEST(InfobarPaint, FramesAndFields) {
  Strip s;
  const RecordingCanvas canvas = s.Paint(400, 0, 0);
  std::vector<std::string> lines;
  for (const auto& call : canvas.calls) {
    if (call.kind == Kind::kText) continue;
    std::string pen = call.pen == Pen{} ? "black" : call.pen.colour == kWhite ? "white" : "grey";
    lines.push_back(call.Shape() + " " + pen);
  }
  const std::vector<std::string> frame = {
      "MoveTo(0, 0) black",   "LineTo(400, 0) black", "MoveTo(0, 1) white",  "LineTo(399, 1) white",
      "MoveTo(0, 1) white",   "LineTo(0, 18) white",  "MoveTo(0, 18) grey",  "LineTo(400, 18) grey",
      "MoveTo(399, 2) grey",  "LineTo(399, 19) grey", "MoveTo(2, 3) grey",   "LineTo(145, 3) grey",
      "MoveTo(2, 3) grey",    "LineTo(2, 16) grey",   "MoveTo(2, 16) white", "LineTo(146, 16) white",
      "MoveTo(145, 4) white", "LineTo(145, 17) white"};
  ASSERT_GE(lines.size(), frame.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + frame.size()), frame);
  EXPECT_EQ(lines.size(), 10u + 4 * 8u);  // the spare field 308..398 is drawn too
  EXPECT_EQ(canvas.pen(), Pen{});

  EXPECT_EQ(s.Paint(309, 0, 0).Of(Kind::kLineTo).size(), 5u + 3 * 4u);  // too narrow for the fourth
  EXPECT_EQ(s.Paint(310, 0, 0).Of(Kind::kLineTo).size(), 5u + 4 * 4u);
}

TEST(InfobarInvalidate, FieldRectangles) {
  FakeHost host;
  const InfobarLayout layout = ComputeInfobarLayout({156, 13});
  InvalidateCoordField(host, layout);
  InvalidateViewNameField(host, layout);
  InvalidateModeNameField(host, layout);
  EXPECT_EQ(host.log, (std::vector<std::string>{"invalidate infobar 3 4 145 16 noerase",
                                                "invalidate infobar 149 4 207 16 erase",
                                                "invalidate infobar 211 4 305 16 erase"}));
}

}  // namespace
}  // namespace orvendi
