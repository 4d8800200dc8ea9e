#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <optional>

#include "core/platform/canvas.h"

namespace orvendi {

// Canvas over a QPainter with the surface's drawing conventions: non-antialiased integer
// drawing; Ellipse/Rectangle leave out the right column and bottom row of their box; LineTo
// leaves out its end point; inverting mode via RasterOp_NotDestination (raster surfaces only).
// Coordinates far outside any surface are clipped (lines) or the shape skipped, so huge values
// cannot upset the painter. The painter must stay alive and active while the canvas is used, and
// its pen and brush belong to the canvas meanwhile (they are set only when the canvas's change).
class QtCanvas : public Canvas {
 public:
  explicit QtCanvas(QPainter& painter);

  Pen SelectPen(const Pen& pen) override;
  Brush SelectBrush(const Brush& brush) override;
  bool SetInvert(bool on) override;

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Ellipse(int left, int top, int right, int bottom) override;
  void Rectangle(int left, int top, int right, int bottom) override;
  void Text(int x, int y, std::string_view text, const TextStyle& style) override;
  TextSize MeasureText(std::string_view text, const Font& font) override;
  // On a raster surface the cells go in as one image, which costs a fraction of a fill per cell.
  void FillCells(std::span<const int> xs, std::span<const int> ys, std::span<const Rgb> colours) override;

  // Coordinates beyond +-kCoordinateLimit never reach the painter.
  static constexpr int kCoordinateLimit = 1'000'000;

 private:
  // What the painter's pen and brush were last set up for, so runs of lines cost no state change.
  enum class PainterState { kUnknown, kLine, kShape };
  void ApplyStroke(PainterState state);
  // The Qt font and its metrics for `font`; the last one is kept, as building them is costly.
  const QFontMetrics& MetricsFor(const Font& font);

  QPainter& painter_;
  PainterState painter_state_ = PainterState::kUnknown;
  Pen pen_;
  Brush brush_;
  bool invert_ = false;
  int current_x_ = 0;
  int current_y_ = 0;
  Font metrics_font_;
  std::optional<QFont> qfont_;
  std::optional<QFontMetrics> metrics_;
};

}  // namespace orvendi
