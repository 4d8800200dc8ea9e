#pragma once

#include "core/design/design_record.h"
#include "core/platform/canvas.h"
#include "core/platform/host.h"
#include "core/views/bed_editing.h"
#include "core/views/infobar_layout.h"
#include "core/views/view_state.h"

namespace orvendi {

// A click within this many pixels of a generator picks it.
inline constexpr double kPickRadius = 5.0;

// A generator drag in progress and its mark. Kept beside the design in the scene model; zero
// (no drag, no mark) at start.
struct GeneratorDragState {
  int drag_active = 0;
  int drag_generator = -1;  // index into the design's generators, -1 for none
  int mark_shown = 0;
  int mark_x = 0;  // window pixel where the mark was last drawn
  int mark_y = 0;
  friend bool operator==(const GeneratorDragState&, const GeneratorDragState&) = default;
};

// Left button down in Position Generators mode: picks the nearest generator within 5 pixels
// (lower index on ties), captures the mouse and shows the drag mark under the pointer.
void PickGenerator(int x, int y, const DesignRecord& design, const ViewState& view, GeneratorDragState& drag,
                   Host& host);
// Mouse move: moves the drag mark while a drag is active.
void TrackGenerator(int x, int y, GeneratorDragState& drag, Host& host);
// Left button up: hides the mark, releases the mouse and places the generator (and its coils)
// at the world point under the pointer with z = 0; repaints the old and new symbol squares.
void DropGenerator(int x, int y, DesignRecord& design, const ViewState& view, GeneratorDragState& drag,
                   Host& host);

// The inverted hollow circle 7 pixels across at (mark_x, mark_y). Show draws it only when not
// shown, Hide only when shown, so the two alternate exactly. The mark state changes even when
// canvas is null (nothing to draw on; an overlay can draw the mark from the state).
void ShowDragMark(Canvas* canvas, GeneratorDragState& drag);
void HideDragMark(Canvas* canvas, GeneratorDragState& drag);
void DrawDragMark(Canvas& canvas, int mark_x, int mark_y);
// The drag mark and the rubber band that are shown, drawn again over a scene just rendered
// under them (a repaint during a mouse edit), so that hiding them later restores the scene.
void DrawShownMarks(Canvas& canvas, const GeneratorDragState& drag, const BedEditState& bed_edit);

// Repaint with erase of the generator symbol's 7 x 7 square.
void InvalidateGeneratorArea(const GeneratorRecord& generator, const ViewState& view, Host& host);

// Edit mode command (0 Position Generators, 1 Modify Bed): switches the bed handles with the
// mode (repainting the bed's area) and repaints the strip's mode-name field.
void SetEditMode(DesignRecord& design, BedEditState& bed_edit, const ViewState& view, int mode, Host& host,
                 const InfobarLayout& infobar);

}  // namespace orvendi
