#include "core/views/bed_editing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "core/views/view_geometry.h"

namespace orvendi {

BedWindowCorners BedCorners(const DesignRecord& design, const ViewState& view) {
  return {
      WorldToWindowX(view, design.bed_x1, design.bed_y1), WorldToWindowY(view, design.bed_y1, design.bed_z1),
      WorldToWindowX(view, design.bed_x2, design.bed_y2), WorldToWindowY(view, design.bed_y2, design.bed_z2)};
}

void BedHandlePoint(const BedWindowCorners& c, int k, int& h, int& v) {
  const int mx = (c.x1 + c.x2) >> 1;
  const int my = (c.y1 + c.y2) >> 1;
  switch (k) {
    case 0:
      h = c.x1, v = c.y1;
      break;
    case 1:
      h = mx, v = c.y1;
      break;
    case 2:
      h = c.x2, v = c.y1;
      break;
    case 3:
      h = c.x2, v = my;
      break;
    case 4:
      h = c.x2, v = c.y2;
      break;
    case 5:
      h = mx, v = c.y2;
      break;
    case 6:
      h = c.x1, v = c.y2;
      break;
    default:
      h = c.x1, v = my;
      break;
  }
}

bool BedHandleHit(int x, int y, const DesignRecord& design, const ViewState& view, BedEditState& edit) {
  const BedWindowCorners c = BedCorners(design, view);
  std::array<WindowPoint, 8> handles;
  for (int k = 0; k < 8; ++k) BedHandlePoint(c, k, handles[k].x, handles[k].y);
  const int best = NearestWithin(x, y, handles, kBedGrabDistance);
  if (best < 0) return false;
  edit.bed_handle = best;
  return true;
}

BedWindowCorners ThroughCornerPixels(BedWindowCorners c) {
  if (c.x1 > c.x2) {
    ++c.x1;
  } else {
    ++c.x2;
  }
  if (c.y1 > c.y2) {
    ++c.y1;
  } else {
    ++c.y2;
  }
  return c;
}

bool BedEdgeHit(int x, int y, const DesignRecord& design, const ViewState& view) {
  const BedWindowCorners c = BedCorners(design, view);
  // 64-bit so that a pointer anywhere in the int range cannot overflow.
  const std::int64_t px = x;
  const std::int64_t py = y;
  if (c.x1 < px - 5 && px + 5 < c.x2) {
    return std::min(std::llabs(py - c.y1), std::llabs(py - c.y2)) <= 5;
  }
  if (c.y2 < py - 5 && py + 5 < c.y1) {
    return std::min(std::llabs(px - c.x1), std::llabs(px - c.x2)) <= 5;
  }
  return false;
}

namespace {

// Sets the rubber-band sides the grabbed handle moves to the (clamped) mouse position.
void MoveHandle(int x, int y, BedEditState& edit) {
  switch (edit.bed_handle) {
    case 0:
      edit.rubber_x1 = x, edit.rubber_y1 = y;
      break;
    case 1:
      edit.rubber_y1 = y;
      break;
    case 2:
      edit.rubber_x2 = x, edit.rubber_y1 = y;
      break;
    case 3:
      edit.rubber_x2 = x;
      break;
    case 4:
      edit.rubber_x2 = x, edit.rubber_y2 = y;
      break;
    case 5:
      edit.rubber_y2 = y;
      break;
    case 6:
      edit.rubber_x1 = x, edit.rubber_y2 = y;
      break;
    case 7:
      edit.rubber_x1 = x;
      break;
    default:
      break;
  }
}

void HideRubberBand(BedEditState& edit, Canvas* canvas) {
  if (edit.rubber_shown == 0) return;
  if (canvas != nullptr) DrawRubberBand(*canvas, edit);
  edit.rubber_shown = 0;
}

void ShowRubberBand(BedEditState& edit, Canvas* canvas) {
  if (edit.rubber_shown != 0) return;
  if (canvas != nullptr) DrawRubberBand(*canvas, edit);
  edit.rubber_shown = 1;
}

// Sets rubber band corner coordinates from a move's offset, held inside the clamp range.
int Shifted(int start, int grab, int now) { return ClampPointer(static_cast<long long>(start) - grab + now); }

}  // namespace

void DrawRubberBand(Canvas& canvas, const BedEditState& edit) {
  ScopedInvert invert(canvas);
  ScopedBrush brush(canvas, kNullBrush);
  if (edit.rubber_x1 == edit.rubber_x2 || edit.rubber_y1 == edit.rubber_y2) {
    canvas.MoveTo(edit.rubber_x1, edit.rubber_y1);
    canvas.LineTo(edit.rubber_x2, edit.rubber_y2);
    return;
  }
  const BedWindowCorners box =
      ThroughCornerPixels({edit.rubber_x1, edit.rubber_y1, edit.rubber_x2, edit.rubber_y2});
  canvas.Rectangle(box.x1, box.y1, box.x2, box.y2);
}

void InvalidateBedArea(const DesignRecord& design, const ViewState& view, Host& host) {
  const BedWindowCorners box = ThroughCornerPixels(BedCorners(design, view));
  int x1 = box.x1, y1 = box.y1, x2 = box.x2, y2 = box.y2;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const PixelRect rect{x1 - 3, y1 - 3, x2 + 3, y2 + 3};
  host.Invalidate(HostWindow::kDrawing, &rect, true);
}

void BedButtonDown(int x, int y, const DesignRecord& design, const ViewState& view, BedEditState& edit,
                   Host& host) {
  x = ClampPointer(x);
  y = ClampPointer(y);
  const BedWindowCorners c = BedCorners(design, view);
  if (BedHandleHit(x, y, design, view, edit)) {
    edit.bed_resize_active = 1;
    host.CaptureMouse();
  } else if (BedEdgeHit(x, y, design, view)) {
    edit.bed_move_active = 1;
    host.CaptureMouse();
    edit.move_start_x1 = c.x1;
    edit.move_start_y1 = c.y1;
    edit.move_start_x2 = c.x2;
    edit.move_start_y2 = c.y2;
    edit.grab_x = x;
    edit.grab_y = y;
  } else {
    return;
  }
  edit.rubber_x1 = c.x1;
  edit.rubber_y1 = c.y1;
  edit.rubber_x2 = c.x2;
  edit.rubber_y2 = c.y2;
  Canvas* canvas = host.BeginTransientDrawing();
  ShowRubberBand(edit, canvas);
  host.EndTransientDrawing(canvas);
}

void BedMouseMove(int x, int y, BedEditState& edit, Host& host) {
  x = ClampPointer(x);
  y = ClampPointer(y);
  if (edit.bed_resize_active != 0) {
    Canvas* canvas = host.BeginTransientDrawing();
    HideRubberBand(edit, canvas);
    MoveHandle(x, y, edit);
    ShowRubberBand(edit, canvas);
    host.EndTransientDrawing(canvas);
  } else if (edit.bed_move_active != 0) {
    Canvas* canvas = host.BeginTransientDrawing();
    HideRubberBand(edit, canvas);
    edit.rubber_x1 = Shifted(edit.move_start_x1, edit.grab_x, x);
    edit.rubber_y1 = Shifted(edit.move_start_y1, edit.grab_y, y);
    edit.rubber_x2 = Shifted(edit.move_start_x2, edit.grab_x, x);
    edit.rubber_y2 = Shifted(edit.move_start_y2, edit.grab_y, y);
    ShowRubberBand(edit, canvas);
    host.EndTransientDrawing(canvas);
  }
}

namespace {

void EraseRubberBand(BedEditState& edit, Host& host) {
  if (edit.rubber_shown == 0) return;
  Canvas* canvas = host.BeginTransientDrawing();
  HideRubberBand(edit, canvas);
  host.EndTransientDrawing(canvas);
}

void OrderPair(double& a, double& b) {
  if (a > b) std::swap(a, b);
}

// The rubber band's corners written back to the bed. The view's hidden axis keeps its bounds;
// the vertical window motion of the front and side views writes z.
void WriteResizedBed(DesignRecord& design, const ViewState& view, const BedEditState& e) {
  switch (view.current_view) {
    case 0:
      design.bed_x1 = WindowToWorldX(view, e.rubber_x1);
      design.bed_y1 = WindowToWorldY(view, e.rubber_x1, e.rubber_y1);
      design.bed_x2 = WindowToWorldX(view, e.rubber_x2);
      design.bed_y2 = WindowToWorldY(view, e.rubber_x2, e.rubber_y2);
      break;
    case 1:
      design.bed_x1 = WindowToWorldX(view, e.rubber_x1);
      design.bed_z1 = WindowToWorldZ(view, e.rubber_y1);
      design.bed_x2 = WindowToWorldX(view, e.rubber_x2);
      design.bed_z2 = WindowToWorldZ(view, e.rubber_y2);
      break;
    case 2:
      design.bed_y1 = WindowToWorldY(view, e.rubber_x1, e.rubber_y1);
      design.bed_z1 = WindowToWorldZ(view, e.rubber_y1);
      design.bed_y2 = WindowToWorldY(view, e.rubber_x2, e.rubber_y2);
      design.bed_z2 = WindowToWorldZ(view, e.rubber_y2);
      break;
    default:
      return;
  }
  OrderPair(design.bed_x1, design.bed_x2);
  OrderPair(design.bed_y1, design.bed_y2);
  if (view.current_view != 0) OrderPair(design.bed_z1, design.bed_z2);
}

}  // namespace

void BedButtonUp(int x, int y, DesignRecord& design, const ViewState& view, BedEditState& edit, Host& host) {
  x = ClampPointer(x);
  y = ClampPointer(y);
  const std::array<double, 6> corners_before{design.bed_x1, design.bed_y1, design.bed_z1,
                                             design.bed_x2, design.bed_y2, design.bed_z2};
  if (edit.bed_resize_active != 0) {
    host.ReleaseMouse();
    edit.bed_resize_active = 0;
    EraseRubberBand(edit, host);
    MoveHandle(x, y, edit);
    InvalidateBedArea(design, view, host);
    WriteResizedBed(design, view, edit);
    InvalidateBedArea(design, view, host);
  } else if (edit.bed_move_active != 0) {
    host.ReleaseMouse();
    edit.bed_move_active = 0;
    EraseRubberBand(edit, host);
    const double dx = WindowToWorldX(view, x) - WindowToWorldX(view, edit.grab_x);
    const double dy = WindowToWorldY(view, x, y) - WindowToWorldY(view, edit.grab_x, edit.grab_y);
    const double dz = WindowToWorldZ(view, y) - WindowToWorldZ(view, edit.grab_y);
    InvalidateBedArea(design, view, host);
    design.bed_x1 += dx;
    design.bed_x2 += dx;
    design.bed_y1 += dy;
    design.bed_y2 += dy;
    design.bed_z1 += dz;
    design.bed_z2 += dz;
    InvalidateBedArea(design, view, host);
  }
  const std::array<double, 6> corners_after{design.bed_x1, design.bed_y1, design.bed_z1,
                                            design.bed_x2, design.bed_y2, design.bed_z2};
  if (corners_after != corners_before) design.bed_stale = 1;
}

}  // namespace orvendi
