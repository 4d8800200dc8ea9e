#include "core/views/svg_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "core/analysis/csv_text.h"

namespace orvendi {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at `i`, 0 when it is not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned c = byte(i + k);
    if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

std::string Number(double value) { return NumberText(value); }

std::size_t Characters(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::string EscapeMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80) {
      const std::size_t length = Utf8Length(text, i);
      // The C1 controls are no characters a document may hold either.
      const bool c1 = length == 2 && u == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
      if (length == 0) {
        out += kReplacement;
        ++i;
      } else {
        if (!c1) out.append(text, i, length);
        i += length;
      }
      continue;
    }
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        if (u >= 0x20 && u != 0x7F) out += c;
        else if (c == '\t' || c == '\n') out += c;
        break;
    }
    ++i;
  }
  return out;
}

std::string ColourText(Rgb colour) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", colour.r, colour.g, colour.b);
  return buffer;
}

SvgCanvas::SvgCanvas(int width, int height) : width_(width), height_(height) {}

Pen SvgCanvas::SelectPen(const Pen& pen) { return std::exchange(pen_, pen); }
Brush SvgCanvas::SelectBrush(const Brush& brush) { return std::exchange(brush_, brush); }
bool SvgCanvas::SetInvert(bool on) { return std::exchange(invert_, on); }

void SvgCanvas::MoveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

std::string SvgCanvas::Stroke() const {
  if (pen_.null) return " stroke=\"none\"";
  return " stroke=\"" + ColourText(invert_ ? kWhite : pen_.colour) + "\" stroke-width=\"" +
         std::to_string(std::max(1, pen_.width)) + "\"";
}

std::string SvgCanvas::Fill() const {
  if (brush_.null) return " fill=\"none\"";
  return " fill=\"" + ColourText(invert_ ? kWhite : brush_.colour) + "\"";
}

std::string SvgCanvas::Blend() const { return invert_ ? " style=\"mix-blend-mode:difference\"" : ""; }

void SvgCanvas::LineTo(int x, int y) {
  if (!pen_.null) {
    // Pixel centres, so that a one-pixel line covers one row of pixels.
    body_ += "<line x1=\"" + Number(x_ + 0.5) + "\" y1=\"" + Number(y_ + 0.5) + "\" x2=\"" + Number(x + 0.5) +
             "\" y2=\"" + Number(y + 0.5) + "\"" + Stroke() + " stroke-linecap=\"butt\"" + Blend() + "/>\n";
  }
  MoveTo(x, y);
}

void SvgCanvas::Ellipse(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const double inset = pen_.null ? 0.0 : 0.5 * std::max(1, pen_.width);
  const double rx = std::max(0.0, (right - left) / 2.0 - inset);
  const double ry = std::max(0.0, (bottom - top) / 2.0 - inset);
  body_ += "<ellipse cx=\"" + Number((left + right) / 2.0) + "\" cy=\"" + Number((top + bottom) / 2.0) +
           "\" rx=\"" + Number(rx) + "\" ry=\"" + Number(ry) + "\"" + Fill() + Stroke() + Blend() + "/>\n";
}

void SvgCanvas::Rectangle(int left, int top, int right, int bottom) {
  // Corners may come in either order, as the painting code passes them from world coordinates.
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const double inset = pen_.null ? 0.0 : 0.5 * std::max(1, pen_.width);
  const double w = std::max(0.0, right - left - 2 * inset);
  const double h = std::max(0.0, bottom - top - 2 * inset);
  body_ += "<rect x=\"" + Number(left + inset) + "\" y=\"" + Number(top + inset) + "\" width=\"" + Number(w) +
           "\" height=\"" + Number(h) + "\"" + Fill() + Stroke() + Blend() + "/>\n";
}

void SvgCanvas::Text(int x, int y, std::string_view text, const TextStyle& style) {
  const TextSize size = MeasureText(text, style.font);
  if (style.opaque) {
    body_ += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
             std::to_string(size.width) + "\" height=\"" + std::to_string(size.height) + "\" fill=\"" +
             ColourText(style.background) + "\"/>\n";
  }
  const std::string family = style.font.family.empty() ? "sans-serif" : EscapeMarkup(style.font.family) + ",sans-serif";
  body_ += "<text x=\"" + std::to_string(x) + "\" y=\"" + Number(y + 0.8 * style.font.pixel_height) +
           "\" font-family=\"" + family + "\" font-size=\"" + std::to_string(style.font.pixel_height) +
           "px\" textLength=\"" + std::to_string(size.width) + "\" lengthAdjust=\"spacingAndGlyphs\" fill=\"" +
           ColourText(style.colour) + "\">" + EscapeMarkup(text) + "</text>\n";
}

TextSize SvgCanvas::MeasureText(std::string_view text, const Font& font) {
  const double advance = kTextAdvance * font.pixel_height;
  return {static_cast<int>(std::lround(advance * static_cast<double>(Characters(text)))),
          static_cast<int>(std::lround(1.2 * font.pixel_height))};
}

std::string SvgCanvas::Svg() const {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width_) + "\" height=\"" +
         std::to_string(height_) + "\" viewBox=\"0 0 " + std::to_string(width_) + " " + std::to_string(height_) +
         "\">\n" + body_ + "</svg>\n";
}

}  // namespace orvendi
