#pragma once

#include <string>
#include <string_view>

#include "core/platform/canvas.h"

namespace orvendi {

// Text for HTML and SVG: &, <, >, " and ' as entities, control characters other than tab and line
// break left out, and every byte of a broken UTF-8 sequence as U+FFFD, so that no text can
// inject markup or make the document invalid.
std::string EscapeMarkup(std::string_view text);

// A canvas that writes SVG elements, one per shape, for a picture `width` x `height` pixels.
// Text is measured with a fixed advance of kTextAdvance times the font's height per character;
// the inverting mode draws white with the "difference" blend, which inverts what lies below.
class SvgCanvas final : public Canvas {
 public:
  static constexpr double kTextAdvance = 0.6;

  SvgCanvas(int width, int height);

  Pen SelectPen(const Pen& pen) override;
  Brush SelectBrush(const Brush& brush) override;
  bool SetInvert(bool on) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Ellipse(int left, int top, int right, int bottom) override;
  void Rectangle(int left, int top, int right, int bottom) override;
  void Text(int x, int y, std::string_view text, const TextStyle& style) override;
  TextSize MeasureText(std::string_view text, const Font& font) override;

  // The whole <svg> element.
  std::string Svg() const;

 private:
  std::string Stroke() const;
  std::string Fill() const;
  std::string Blend() const;

  int width_;
  int height_;
  Pen pen_;
  Brush brush_;
  bool invert_ = false;
  int x_ = 0;
  int y_ = 0;
  std::string body_;
};

// "#rrggbb".
std::string ColourText(Rgb colour);

}  // namespace orvendi
