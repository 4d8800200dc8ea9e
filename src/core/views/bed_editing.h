#pragma once

#include "core/design/design_record.h"
#include "core/platform/canvas.h"
#include "core/platform/host.h"
#include "core/views/view_state.h"

namespace orvendi {

// A handle or the outline is grabbed within this many pixels.
inline constexpr double kBedGrabDistance = 5.0;

// The bed editing of the Modify Bed mode: whether the handles show, a resize or move in
// progress and its rubber band. Kept beside the design in the scene model; zero at start.
struct BedEditState {
  int bed_handles_shown = 0;  // on while the edit mode is Modify Bed
  int bed_resize_active = 0;  // a handle is being dragged
  int bed_move_active = 0;    // the outline is being dragged as a whole
  int rubber_shown = 0;
  int bed_handle = 0;  // 0..7, the grabbed handle
  int rubber_x1 = 0, rubber_y1 = 0, rubber_x2 = 0, rubber_y2 = 0;
  int move_start_x1 = 0, move_start_y1 = 0, move_start_x2 = 0, move_start_y2 = 0;
  int grab_x = 0, grab_y = 0;
  friend bool operator==(const BedEditState&, const BedEditState&) = default;
};

// The bed's two corners in window pixels (corner 1 from bed_x1/y1/z1, corner 2 from _2).
struct BedWindowCorners {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
BedWindowCorners BedCorners(const DesignRecord& design, const ViewState& view);
// Handle k (0..7) point: 0 (X1,Y1), 1 (Mx,Y1), 2 (X2,Y1), 3 (X2,My), 4 (X2,Y2), 5 (Mx,Y2),
// 6 (X1,Y2), 7 (X1,My); Mx, My halved by shift.
void BedHandlePoint(const BedWindowCorners& c, int k, int& h, int& v);
// The box a Rectangle call (right and bottom exclusive) needs to cover both corner pixels: of
// each pair the greater grows by one, the second when they are equal.
BedWindowCorners ThroughCornerPixels(BedWindowCorners c);

// Nearest handle within 5 pixels (lower number on ties); sets edit.bed_handle on a hit.
bool BedHandleHit(int x, int y, const DesignRecord& design, const ViewState& view, BedEditState& edit);
// Within 5 pixels of an edge, outside the corners' 5-pixel zones.
bool BedEdgeHit(int x, int y, const DesignRecord& design, const ViewState& view);

// Modify Bed mode mouse handlers. Button down on a handle starts a resize, on the outline a
// move; either captures the mouse and shows the rubber band. Button up writes the bed.
void BedButtonDown(int x, int y, const DesignRecord& design, const ViewState& view, BedEditState& edit,
                   Host& host);
void BedMouseMove(int x, int y, BedEditState& edit, Host& host);
void BedButtonUp(int x, int y, DesignRecord& design, const ViewState& view, BedEditState& edit, Host& host);

// The inverted rubber band: a line when it has no width or height, else a hollow rectangle
// through both corner pixels, with the canvas's current pen. Drawing twice restores.
void DrawRubberBand(Canvas& canvas, const BedEditState& edit);
// Repaint with erase of the outline's area grown by 3 pixels (covers the pen and handles).
void InvalidateBedArea(const DesignRecord& design, const ViewState& view, Host& host);

}  // namespace orvendi
