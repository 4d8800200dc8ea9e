#pragma once

#include <array>
#include <memory>

#include "core/design/design_record.h"
#include "core/field/eddy_sheet.h"
#include "core/field/loop_geometry.h"
#include "core/field/vector3.h"
#include "core/platform/canvas.h"
#include "core/views/view_state.h"

namespace orvendi {

inline constexpr int kFieldGridStep = 35;    // pixels between samples, both directions
inline constexpr int kFieldLineLength = 15;  // pixels, for a field wholly in the view plane

// The field layer: at every 35th pixel of the drawing area (drawing_width x drawing_height,
// starting at (0, 0)) a line from the sample along the in-plane part of the summed field of
// the displayed coils (and their bed currents, or the sheet's in-phase field, when
// display_bed_field), scaled by the full
// magnitude. Draws with the canvas's current pen.
void DrawBField(Canvas& canvas, const DesignRecord& design, const ViewState& view);

// What the layer prepares once per repaint: the sides of every displayed real coil and of the
// bed outline, with their strengths, so that each sample only does the point-dependent work.
struct FieldDisplaySetup {
  struct Coil {
    bool shown = false;
    bool square_loop = false;  // real model with a valid axis: use `sides`
    LoopSides sides{};
    double strength = 0.0;
    double bed_strength = 0.0;  // of the coil's bed current, as BedField forms it
  };
  std::array<Coil, kCoilCount> coils{};
  bool any_coil = false;
  bool with_bed = false;
  LoopSides bed_sides{};
  // The solved sheet of the design when bed_model is 1 (null while none is stored for its
  // inputs: a repaint never solves it); its in-phase field replaces the outline loop's.
  std::shared_ptr<const EddySheet> sheet;
};
FieldDisplaySetup PrepareFieldDisplay(const DesignRecord& design);

// The field the layer shows at a point: for each displayed coil in index order its own field
// and, when asked, its bed current's field. Bit-identical to summing CoilField and BedField.
Vector3 DisplayedField(const FieldDisplaySetup& setup, const DesignRecord& design, const Vector3& point);

}  // namespace orvendi
