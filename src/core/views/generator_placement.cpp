#include "core/views/generator_placement.h"

#include <array>

#include "core/views/bed_editing.h"
#include "core/views/infobar.h"
#include "core/views/view_geometry.h"

namespace orvendi {

void DrawDragMark(Canvas& canvas, int mark_x, int mark_y) {
  ScopedInvert invert(canvas);
  ScopedBrush brush(canvas, kNullBrush);
  canvas.Ellipse(mark_x - 3, mark_y - 3, mark_x + 4, mark_y + 4);
}

void DrawShownMarks(Canvas& canvas, const GeneratorDragState& drag, const BedEditState& bed_edit) {
  if (drag.mark_shown != 0) DrawDragMark(canvas, drag.mark_x, drag.mark_y);
  if (bed_edit.rubber_shown != 0) DrawRubberBand(canvas, bed_edit);
}

void ShowDragMark(Canvas* canvas, GeneratorDragState& drag) {
  if (drag.mark_shown != 0) return;
  if (canvas != nullptr) DrawDragMark(*canvas, drag.mark_x, drag.mark_y);
  drag.mark_shown = 1;
}

void HideDragMark(Canvas* canvas, GeneratorDragState& drag) {
  if (drag.mark_shown == 0) return;
  if (canvas != nullptr) DrawDragMark(*canvas, drag.mark_x, drag.mark_y);
  drag.mark_shown = 0;
}

void InvalidateGeneratorArea(const GeneratorRecord& generator, const ViewState& view, Host& host) {
  const int x = WorldToWindowX(view, generator.x, generator.y);
  const int y = WorldToWindowY(view, generator.y, generator.z);
  const PixelRect rect{x - 3, y - 3, x + 4, y + 4};
  host.Invalidate(HostWindow::kDrawing, &rect, true);
}

namespace {

bool Dragging(const GeneratorDragState& drag) {
  return drag.drag_active != 0 && drag.drag_generator >= 0 && drag.drag_generator < kGeneratorCount;
}

}  // namespace

void PickGenerator(int x, int y, const DesignRecord& design, const ViewState& view, GeneratorDragState& drag,
                   Host& host) {
  x = ClampPointer(x);
  y = ClampPointer(y);
  std::array<WindowPoint, kGeneratorCount> symbols;
  for (int i = 0; i < kGeneratorCount; ++i) {
    const GeneratorRecord& g = design.generators[i];
    symbols[i] = {WorldToWindowX(view, g.x, g.y), WorldToWindowY(view, g.y, g.z)};
  }
  const int best = NearestWithin(x, y, symbols, kPickRadius);
  if (best < 0) return;
  drag.drag_generator = best;
  drag.drag_active = 1;
  host.CaptureMouse();
  Canvas* canvas = host.BeginTransientDrawing();
  drag.mark_x = x;
  drag.mark_y = y;
  ShowDragMark(canvas, drag);
  host.EndTransientDrawing(canvas);
}

void TrackGenerator(int x, int y, GeneratorDragState& drag, Host& host) {
  if (!Dragging(drag)) return;
  Canvas* canvas = host.BeginTransientDrawing();
  HideDragMark(canvas, drag);
  drag.mark_x = ClampPointer(x);
  drag.mark_y = ClampPointer(y);
  ShowDragMark(canvas, drag);
  host.EndTransientDrawing(canvas);
}

void DropGenerator(int x, int y, DesignRecord& design, const ViewState& view, GeneratorDragState& drag,
                   Host& host) {
  if (!Dragging(drag)) return;
  GeneratorRecord& g = design.generators[drag.drag_generator];
  x = ClampPointer(x);
  y = ClampPointer(y);
  Canvas* canvas = host.BeginTransientDrawing();
  HideDragMark(canvas, drag);
  host.EndTransientDrawing(canvas);
  host.ReleaseMouse();
  const double x_new = WindowToWorldX(view, x);
  const double y_new = WindowToWorldY(view, x, y);
  InvalidateGeneratorArea(g, view, host);
  const double x_old = g.x, y_old = g.y, z_old = g.z;
  SetGeneratorPosition(g, x_new, y_new, 0.0);
  // The eddy currents follow the generators' field.
  if (g.x != x_old || g.y != y_old || g.z != z_old) design.bed_stale = 1;
  InvalidateGeneratorArea(g, view, host);
  drag.drag_active = 0;
}

void SetEditMode(DesignRecord& design, BedEditState& bed_edit, const ViewState& view, int mode, Host& host,
                 const InfobarLayout& infobar) {
  design.edit_mode = mode;
  if (mode == 1 && bed_edit.bed_handles_shown == 0) {
    bed_edit.bed_handles_shown = 1;
    InvalidateBedArea(design, view, host);
  } else if (mode != 1 && bed_edit.bed_handles_shown == 1) {
    bed_edit.bed_handles_shown = 0;
    InvalidateBedArea(design, view, host);
  }
  InvalidateModeNameField(host, infobar);
}

}  // namespace orvendi
