#pragma once

#include "design/design_record.h"
#include "field/vector3.h"
#include "platform/canvas.h"
#include "views/view_state.h"

namespace orvendi {

inline constexpr int kFieldGridStep = 35;    // pixels between samples, both directions
inline constexpr int kFieldLineLength = 15;  // pixels, for a field wholly in the view plane

// The field layer: at every 35th pixel of the drawing area (drawing_width x drawing_height,
// starting at (0, 0)) a line from the sample along the in-plane part of the summed field of
// the displayed coils (and their bed currents when display_bed_field), scaled by the full
// magnitude. Draws with the canvas's current pen.
void DrawBField(Canvas& canvas, const DesignRecord& design, const ViewState& view);

// Used by DrawBField: the current-independent part of SegmentField for one side of the bed
// outline, and the outline's four sides seen from one point.
struct SegmentShape {
  bool zero = true;
  double cos_sum = 0.0;
  double rho = 0.0;
  Vector3 n;
  double n_len = 0.0;
};
struct BedFieldShape {
  SegmentShape sides[4];
};
BedFieldShape BedFieldShapeAt(const DesignRecord& design, const Vector3& point);
// Bit-identical to BedField(design, point, current) for the point the shape was taken at.
Vector3 BedFieldFromShape(const BedFieldShape& shape, double current);

}  // namespace orvendi
