#include "core/views/infobar.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <span>

#include "core/views/view_geometry.h"

namespace orvendi {

// The canvas falls back to the desktop's sans-serif face where this one is missing.
Font InfobarFont() { return Font{"MS Sans Serif", 10}; }

InfobarLayout ComputeInfobarLayout(TextSize measured, const InfobarTextWidths& widest) {
  // The sunken border's first column and a blank before a text, and the border's last column.
  constexpr int kTextMargins = 3 + 1;
  InfobarLayout layout;
  const int w = measured.width / 26;
  layout.char_width = w;
  layout.coord_step = std::max(8 * w, widest.coordinate);
  layout.infobar_height = measured.height + 6;
  const int coord_width = std::max(24 * w, 2 * layout.coord_step + widest.coordinate + kTextMargins);
  const int view_width = std::max(10 * w, widest.view_name + kTextMargins);
  const int mode_width = std::max(16 * w, widest.mode_name + kTextMargins);
  layout.coord_field_left = 2;
  layout.coord_field_right = layout.coord_field_left + coord_width;
  layout.view_field_left = layout.coord_field_right + 2;
  layout.view_field_right = layout.view_field_left + view_width;
  layout.mode_field_left = layout.view_field_right + 2;
  layout.mode_field_right = layout.mode_field_left + mode_width;
  layout.spare_field_left = layout.mode_field_right + 2;
  return layout;
}

namespace {

// As many characters as "-9.999", the widest text the coordinate field is measured for.
constexpr std::size_t kCoordinateChars = 6;

std::string Written(const char* first, std::to_chars_result result) {
  return result.ec == std::errc() ? std::string(first, static_cast<const char*>(result.ptr)) : std::string();
}

// "1.5e+12" as "1.5e12": the exponent's sign and leading zeros only when needed.
std::string ShortScientific(double value, int decimals) {
  char digits[64];
  const std::string text = Written(
      digits, std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific, decimals));
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string exponent = text.substr(e + 1);
  const bool negative = !exponent.empty() && exponent[0] == '-';
  if (!exponent.empty() && (exponent[0] == '+' || negative)) exponent.erase(0, 1);
  exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
  return text.substr(0, e + 1) + (negative ? "-" : "") + exponent;
}

// Three decimals while they fit, then fewer, then a short exponent form.
std::string CoordinateNumber(double value) {
  char digits[400];
  std::string text;
  for (int decimals = 3; decimals >= 0; --decimals) {
    text = Written(digits,
                   std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals));
    if (text.size() <= kCoordinateChars) return text;
  }
  for (int decimals = 2; decimals >= 0; --decimals) {
    text = ShortScientific(value, decimals);
    if (text.size() <= kCoordinateChars) return text;
  }
  return text;
}

}  // namespace

std::string FormatCoordinate(char axis, double value) {
  const std::string number = CoordinateNumber(value);
  std::string text;
  text.reserve(number.size() + 10);
  text += axis;
  text += ": ";
  text += number;
  if (number.size() < 5) text.append(5 - number.size(), ' ');
  text += "   ";
  return text;
}

namespace {

constexpr std::array<std::string_view, 3> kViewNames{"Plan View", "Front View", "Side View"};
constexpr std::array<std::string_view, 2> kModeNames{"Position Generators", "Modify Bed"};

std::string_view Named(std::span<const std::string_view> names, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < names.size() ? names[index] : std::string_view();
}

}  // namespace

std::string_view ViewName(int view) { return Named(kViewNames, view); }

std::string_view ModeName(int mode) { return Named(kModeNames, mode); }

InfobarLayout MeasureInfobarLayout(Canvas& canvas) {
  const Font font = InfobarFont();
  const auto width = [&](std::string_view text) { return canvas.MeasureText(text, font).width; };
  InfobarTextWidths widest;
  for (std::string_view name : kViewNames) widest.view_name = std::max(widest.view_name, width(name));
  for (std::string_view name : kModeNames) widest.mode_name = std::max(widest.mode_name, width(name));
  // Every digit, in case the face's digits differ in width, in each form a coordinate takes:
  // "-9.999", "-99999", "-9e999".
  for (char axis : {'X', 'Y', 'Z'}) {
    for (int digit = 0; digit <= 9; ++digit) {
      for (double scale : {1.111, 11111.1, 1.111e111}) {
        std::string text = FormatCoordinate(axis, -scale * digit);
        text.erase(text.find_last_not_of(' ') + 1);
        widest.coordinate = std::max(widest.coordinate, width(text));
      }
    }
  }
  return ComputeInfobarLayout(canvas.MeasureText(kInfobarMeasureText, font), widest);
}

namespace {

const Pen kWhitePen{1, kWhite, false};
const Pen kGreyPen{1, kFrameShadow, false};

void Line(Canvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

void DrawCoordinates(Canvas& canvas, const InfobarLayout& layout, int pointer_x, int pointer_y,
                     const ViewState& view) {
  const TextStyle style{InfobarFont(), kBlack, true, kInfobarGrey};
  const int step = layout.coord_step;
  const int left = layout.coord_field_left + 3;
  canvas.Text(left, 3, FormatCoordinate('X', WindowToWorldX(view, pointer_x)), style);
  canvas.Text(left + step, 3, FormatCoordinate('Y', WindowToWorldY(view, pointer_x, pointer_y)), style);
  canvas.Text(left + 2 * step, 3, FormatCoordinate('Z', WindowToWorldZ(view, pointer_y)), style);
}

void DrawRaisedFrame(Canvas& canvas, const InfobarLayout& layout, int w) {
  const int h = layout.infobar_height;
  if (h < 1) return;
  {
    ScopedPen pen(canvas, kWhitePen);
    Line(canvas, 0, 1, w - 1, 1);
    Line(canvas, 0, 1, 0, h - 1);
  }
  ScopedPen pen(canvas, kGreyPen);
  Line(canvas, 0, h - 1, w, h - 1);
  Line(canvas, w - 1, 2, w - 1, h);
}

void DrawSunkenField(Canvas& canvas, int l, int r, int b) {
  if (b < 3) return;
  {
    ScopedPen pen(canvas, kGreyPen);
    Line(canvas, l, 3, r - 1, 3);
    Line(canvas, l, 3, l, b - 1);
  }
  ScopedPen pen(canvas, kWhitePen);
  Line(canvas, l, b - 1, r, b - 1);
  Line(canvas, r - 1, 4, r - 1, b);
}

}  // namespace

void PaintInfobar(Canvas& canvas, const InfobarLayout& layout, int client_width, int pointer_x, int pointer_y,
                  const ViewState& view, const DesignRecord& design) {
  DrawCoordinates(canvas, layout, pointer_x, pointer_y, view);
  const TextStyle names{InfobarFont(), kBlack, false, kInfobarGrey};
  canvas.Text(layout.view_field_left + 3, 3, ViewName(view.current_view), names);
  canvas.Text(layout.mode_field_left + 3, 3, ModeName(design.edit_mode), names);

  const int w = client_width;
  Line(canvas, 0, 0, w, 0);
  if (w >= 0) DrawRaisedFrame(canvas, layout, w);
  const int b = layout.infobar_height - 2;
  const int fields[4][2] = {{layout.coord_field_left, layout.coord_field_right},
                            {layout.view_field_left, layout.view_field_right},
                            {layout.mode_field_left, layout.mode_field_right},
                            {layout.spare_field_left, w - 2}};
  for (const auto& f : fields) {
    if (f[1] >= f[0]) DrawSunkenField(canvas, f[0], f[1], b);
  }
}

namespace {

void InvalidateField(Host& host, const InfobarLayout& layout, int left, int right, bool erase) {
  const PixelRect rect{left + 1, 4, right - 1, layout.infobar_height - 3};
  host.Invalidate(HostWindow::kInfobar, &rect, erase);
}

}  // namespace

void InvalidateCoordField(Host& host, const InfobarLayout& layout) {
  InvalidateField(host, layout, layout.coord_field_left, layout.coord_field_right, false);
}

void InvalidateViewNameField(Host& host, const InfobarLayout& layout) {
  InvalidateField(host, layout, layout.view_field_left, layout.view_field_right, true);
}

void InvalidateModeNameField(Host& host, const InfobarLayout& layout) {
  InvalidateField(host, layout, layout.mode_field_left, layout.mode_field_right, true);
}

}  // namespace orvendi
