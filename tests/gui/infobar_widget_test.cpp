#include "gui/widgets/infobar_widget.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>

#include "gui/widgets/qt_canvas.h"
#include "core/views/infobar.h"

namespace orvendi {
namespace {

// The strip's texts in the face this platform gives for InfobarFont(): with only the common
// free fonts installed, that is a fallback wider than the strip's own face.
TEST(InfobarWidgetTest, EveryStripTextFitsItsFieldInTheFontAsMeasuredHere) {
  const InfobarLayout layout = InfobarWidget::MeasureLayout();
  QImage scratch(1, 1, QImage::Format_RGB32);
  QPainter painter(&scratch);
  QtCanvas canvas(painter);
  const auto width = [&](std::string_view text) { return canvas.MeasureText(text, InfobarFont()).width; };
  // A text starts 3 pixels into its field and ends before the field's right border.
  const auto room = [](int left, int right) { return right - left - 4; };

  for (int view = 0; view < 3; ++view) {
    EXPECT_LE(width(ViewName(view)), room(layout.view_field_left, layout.view_field_right)) << ViewName(view);
  }
  for (int mode = 0; mode < 2; ++mode) {
    EXPECT_LE(width(ModeName(mode)), room(layout.mode_field_left, layout.mode_field_right)) << ModeName(mode);
  }
  for (double value : {-9.999, -0.25, 0.0, 0.5, 7.125, -12345.6, -1.5e12, -1e308}) {
    for (int k = 0; k < 3; ++k) {
      std::string text = FormatCoordinate("XYZ"[k], value);
      text.erase(text.find_last_not_of(' ') + 1);
      EXPECT_LE(width(text), layout.coord_step) << text;  // over before the next coordinate begins
      EXPECT_LE(k * layout.coord_step + width(text), room(layout.coord_field_left, layout.coord_field_right))
          << text;
    }
  }
}

}  // namespace
}  // namespace orvendi
