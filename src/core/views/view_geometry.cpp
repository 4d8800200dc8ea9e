#include "core/views/view_geometry.h"

#include <cmath>
#include <cstdint>

#include "core/views/infobar.h"

namespace orvendi {

int ClampPointer(long long v) {
  if (v > kPixelLimit) return kPixelLimit;
  if (v < -kPixelLimit) return -kPixelLimit;
  return static_cast<int>(v);
}

int NearestWithin(int x, int y, std::span<const WindowPoint> points, double radius) {
  int best = -1;
  double best_distance = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double dx = static_cast<double>(x) - points[i].x;
    const double dy = static_cast<double>(y) - points[i].y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (best < 0 || d < best_distance) {
      best = static_cast<int>(i);
      best_distance = d;
    }
  }
  return best >= 0 && best_distance <= radius ? best : -1;
}

int WorldToWindowX(const ViewState& view, double x, double y) {
  switch (view.current_view) {
    case 0:
    case 1:
      return view.window_centre_x + RoundHalfAway((x - view.view_centre_x) * view.pixels_per_metre_x);
    case 2:
      return view.window_centre_x + RoundHalfAway((y - view.view_centre_y) * view.pixels_per_metre_y);
    default:
      return 0;
  }
}

int WorldToWindowY(const ViewState& view, double y, double z) {
  switch (view.current_view) {
    case 0:
      return view.window_centre_y - RoundHalfAway((y - view.view_centre_y) * view.pixels_per_metre_y);
    case 1:
    case 2:
      return view.window_centre_y - RoundHalfAway((z - view.view_centre_z) * view.pixels_per_metre_z);
    default:
      return 0;
  }
}

namespace {

// Pixel difference in 64 bits: a pointer far outside the area must not overflow.
double PixelDifference(int a, int b) { return static_cast<double>(std::int64_t{a} - std::int64_t{b}); }

}  // namespace

double WindowToWorldX(const ViewState& view, int window_x) {
  switch (view.current_view) {
    case 0:
    case 1:
      return PixelDifference(window_x, view.window_centre_x) / view.pixels_per_metre_x + view.view_centre_x;
    case 2:
      return view.view_centre_x;
    default:
      return 0.0;
  }
}

double WindowToWorldY(const ViewState& view, int window_x, int window_y) {
  switch (view.current_view) {
    case 0:
      return PixelDifference(view.window_centre_y, window_y) / view.pixels_per_metre_y + view.view_centre_y;
    case 1:
      return view.view_centre_y;
    case 2:
      return PixelDifference(window_x, view.window_centre_x) / view.pixels_per_metre_y + view.view_centre_y;
    default:
      return 0.0;
  }
}

double WindowToWorldZ(const ViewState& view, int window_y) {
  switch (view.current_view) {
    case 0:
      return view.view_centre_z;
    case 1:
    case 2:
      return PixelDifference(view.window_centre_y, window_y) / view.pixels_per_metre_z + view.view_centre_z;
    default:
      return 0.0;
  }
}

void InvalidateDrawing(Host& host) { host.Invalidate(HostWindow::kDrawing, nullptr, true); }

void SetScale(ViewState& view, int percent, Host& host) {
  view.scale_percent = percent;
  const double k = RoundHalfAway(percent / 100.0 * 400.0);
  view.pixels_per_metre_x = k;
  view.pixels_per_metre_y = k;
  view.pixels_per_metre_z = k;
  InvalidateDrawing(host);
}

void SelectView(ViewState& view, int view_number, Host& host, const InfobarLayout& infobar) {
  view.current_view = view_number;
  InvalidateViewNameField(host, infobar);
  SyncHorizontalScroll(view, host);
  SyncVerticalScroll(view, host);
  InvalidateDrawing(host);
}

void ApplyHorizontalScroll(ViewState& view, Host& host) {
  host.SetScrollPos(ScrollBar::kHorizontal, view.hscroll_pos, true);
  const double centre = view.hscroll_pos / 1000.0 - 0.5;
  if (view.current_view == 2) {
    view.view_centre_y = centre;
  } else {
    view.view_centre_x = centre;
  }
  InvalidateDrawing(host);
}

void ApplyVerticalScroll(ViewState& view, Host& host) {
  host.SetScrollPos(ScrollBar::kVertical, view.vscroll_pos, true);
  const double centre = 0.5 - view.vscroll_pos / 1000.0;
  if (view.current_view == 0) {
    view.view_centre_y = centre;
  } else {
    view.view_centre_z = centre;
  }
  InvalidateDrawing(host);
}

void SyncHorizontalScroll(ViewState& view, Host& host) {
  const double h = view.current_view == 2 ? view.view_centre_y : view.view_centre_x;
  view.hscroll_pos = RoundHalfAway((h + 0.5) * 1000.0);
  host.SetScrollPos(ScrollBar::kHorizontal, view.hscroll_pos, true);
  InvalidateDrawing(host);
}

void SyncVerticalScroll(ViewState& view, Host& host) {
  const double w = view.current_view == 0 ? view.view_centre_y : view.view_centre_z;
  view.vscroll_pos = RoundHalfAway((0.5 - w) * 1000.0);
  host.SetScrollPos(ScrollBar::kVertical, view.vscroll_pos, true);
  InvalidateDrawing(host);
}

void NudgeViewCentre(ViewState& view, int axis, bool shift, Host& host, const InfobarLayout& infobar) {
  double* centre = axis == 0   ? &view.view_centre_x
                   : axis == 1 ? &view.view_centre_y
                   : axis == 2 ? &view.view_centre_z
                               : nullptr;
  if (centre == nullptr) return;
  if (shift) {
    *centre -= 0.1;
  } else {
    *centre += 0.1;
  }
  SyncHorizontalScroll(view, host);
  SyncVerticalScroll(view, host);
  InvalidateCoordField(host, infobar);
  InvalidateDrawing(host);
}

bool ApplyScrollRequest(ViewState& view, ScrollBar bar, ScrollRequest request, int thumb_position,
                        Host& host) {
  int& pos = bar == ScrollBar::kHorizontal ? view.hscroll_pos : view.vscroll_pos;
  // Positions derived from a view centre are at most 1e9 in magnitude, so a step cannot overflow.
  switch (request) {
    case ScrollRequest::kLineBack:
      pos -= kScrollLineStep;
      if (pos < 0) pos = 0;
      break;
    case ScrollRequest::kLineForward:
      pos += kScrollLineStep;
      if (pos > 1000) pos = 1000;
      break;
    case ScrollRequest::kPageBack:
      pos -= kScrollPageStep;
      if (pos < 0) pos = 0;
      break;
    case ScrollRequest::kPageForward:
      pos += kScrollPageStep;
      if (pos > 1000) pos = 1000;
      break;
    case ScrollRequest::kThumbPosition:
      pos = thumb_position;
      break;
    case ScrollRequest::kOther:
      return false;
  }
  if (bar == ScrollBar::kHorizontal) {
    ApplyHorizontalScroll(view, host);
  } else {
    ApplyVerticalScroll(view, host);
  }
  return true;
}

void UpdateWindowCentre(ViewState& view, int width, int height) {
  view.drawing_width = width;
  view.drawing_height = height;
  view.window_centre_x = width >> 1;
  view.window_centre_y = height >> 1;
}

}  // namespace orvendi
