#include "views/infobar.h"

#include <charconv>

#include "views/view_geometry.h"

namespace orvendi {

// The canvas falls back to the desktop's sans-serif face where this one is missing.
Font InfobarFont() { return Font{"MS Sans Serif", 10}; }

InfobarLayout ComputeInfobarLayout(TextSize measured) {
  InfobarLayout layout;
  const int w = measured.width / 26;
  layout.char_width = w;
  layout.infobar_height = measured.height + 6;
  layout.coord_field_left = 2;
  layout.coord_field_right = 24 * w + 2;
  layout.view_field_left = 24 * w + 4;
  layout.view_field_right = 34 * w + 4;
  layout.mode_field_left = 34 * w + 6;
  layout.mode_field_right = 50 * w + 6;
  layout.spare_field_left = 50 * w + 8;
  return layout;
}

std::string FormatCoordinate(char axis, double value) {
  // Room for the longest fixed-point double (about 310 digits before the point).
  char digits[400];
  std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 3);
  std::string number(digits, r.ec == std::errc() ? r.ptr : digits);
  std::string text;
  text.reserve(number.size() + 10);
  text += axis;
  text += ": ";
  text += number;
  if (number.size() < 5) text.append(5 - number.size(), ' ');
  text += "   ";
  return text;
}

std::string_view ViewName(int view) {
  switch (view) {
    case 0:
      return "Plan View";
    case 1:
      return "Front View";
    case 2:
      return "Side View";
    default:
      return {};
  }
}

std::string_view ModeName(int mode) {
  switch (mode) {
    case 0:
      return "Position Generators";
    case 1:
      return "Modify Bed";
    default:
      return {};
  }
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
  const int w = layout.char_width;
  const int left = layout.coord_field_left + 3;
  canvas.Text(left, 3, FormatCoordinate('X', WindowToWorldX(view, pointer_x)), style);
  canvas.Text(left + 8 * w, 3, FormatCoordinate('Y', WindowToWorldY(view, pointer_x, pointer_y)), style);
  canvas.Text(left + 16 * w, 3, FormatCoordinate('Z', WindowToWorldZ(view, pointer_y)), style);
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
