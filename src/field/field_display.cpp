#include "field/field_display.h"

#include <cmath>

#include "design/round_half_away.h"
#include "field/bed_field.h"
#include "field/coil_field.h"
#include "views/view_geometry.h"

namespace orvendi {

namespace {

// Mirrors SegmentField operation for operation so the result is bit-identical.
SegmentShape ShapeOf(const Vector3& point, const Vector3& a, const Vector3& b) {
  SegmentShape shape;
  const Vector3 s{b.x - a.x, b.y - a.y, b.z - a.z};
  const Vector3 pa{point.x - a.x, point.y - a.y, point.z - a.z};
  const Vector3 pb{point.x - b.x, point.y - b.y, point.z - b.z};
  const double length_sq = s.x * s.x + s.y * s.y + s.z * s.z;
  const double length = std::sqrt(length_sq);
  const double da_sq = pa.x * pa.x + pa.y * pa.y + pa.z * pa.z;
  const double db_sq = pb.x * pb.x + pb.y * pb.y + pb.z * pb.z;
  const double da = std::sqrt(da_sq);
  const double db = std::sqrt(db_sq);
  const Vector3 n{s.y * pa.z - s.z * pa.y, s.z * pa.x - s.x * pa.z, s.x * pa.y - s.y * pa.x};
  const double n_len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (!(n_len >= 1e-20)) return shape;
  const double t = (pa.x * s.x + pa.y * s.y + pa.z * s.z) / length_sq;
  const Vector3 foot{a.x + t * s.x, a.y + t * s.y, a.z + t * s.z};
  const double fx = point.x - foot.x;
  const double fy = point.y - foot.y;
  const double fz = point.z - foot.z;
  shape.rho = std::sqrt(fx * fx + fy * fy + fz * fz);
  const double cos_a = (length_sq + da_sq - db_sq) / (length * (2.0 * da));
  const double cos_b = (db_sq + length_sq - da_sq) / (db * (2.0 * length));
  shape.cos_sum = cos_a + cos_b;
  shape.n = n;
  shape.n_len = n_len;
  shape.zero = false;
  return shape;
}

Vector3 SegmentFromShape(const SegmentShape& shape, double strength) {
  if (shape.zero) return {};
  const double magnitude = shape.cos_sum * strength / shape.rho;
  return {magnitude * shape.n.x / shape.n_len, magnitude * shape.n.y / shape.n_len,
          magnitude * shape.n.z / shape.n_len};
}

}  // namespace

BedFieldShape BedFieldShapeAt(const DesignRecord& design, const Vector3& point) {
  const double z = design.bed_z1;
  const Vector3 c1{design.bed_x1, design.bed_y1, z};
  const Vector3 c2{design.bed_x2, design.bed_y1, z};
  const Vector3 c3{design.bed_x2, design.bed_y2, z};
  const Vector3 c4{design.bed_x1, design.bed_y2, z};
  return {{ShapeOf(point, c1, c2), ShapeOf(point, c2, c3), ShapeOf(point, c3, c4), ShapeOf(point, c4, c1)}};
}

// Equals BedField(design, point, current) for the point the shape was taken at.
Vector3 BedFieldFromShape(const BedFieldShape& shape, double current) {
  const double strength = (current * 1.25663706144e-6) / 12.5663706144;
  Vector3 field = SegmentFromShape(shape.sides[0], strength);
  field += SegmentFromShape(shape.sides[1], strength);
  field += SegmentFromShape(shape.sides[2], strength);
  field += SegmentFromShape(shape.sides[3], strength);
  return field;
}

void DrawBField(Canvas& canvas, const DesignRecord& design, const ViewState& view) {
  // The bed outline's field is linear in its current: its shape is found once per sample and
  // scaled for each displayed coil, with the arithmetic of BedField.
  bool any_coil = false;
  for (int k = 0; k < kCoilCount; ++k) any_coil = any_coil || design.coil_display[k] != 0;
  if (!any_coil) return;
  const bool with_bed = design.display_bed_field != 0;

  int py = 0;
  do {
    int px = 0;
    do {
      const Vector3 p{WindowToWorldX(view, px), WindowToWorldY(view, px, py), WindowToWorldZ(view, py)};
      BedFieldShape bed;
      if (with_bed) bed = BedFieldShapeAt(design, p);
      Vector3 b;
      for (int k = 0; k < kCoilCount; ++k) {
        if (design.coil_display[k] == 0) continue;
        b += CoilField(design.generators[k / 3], k % 3, p);
        if (with_bed) {
          b += BedFieldFromShape(bed, BedCurrentMagnitude(design.bed_currents[k]));
        }
      }
      const double m = std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z);
      if (m > 1e-20) {
        double h = 0.0;
        double v = 0.0;
        switch (view.current_view) {
          case 0:
            h = b.x;
            v = b.y;
            break;
          case 1:
            h = b.x;
            v = b.z;
            break;
          case 2:
            h = b.y;
            v = b.z;
            break;
          default:
            break;
        }
        const int ex = RoundHalfAway(h * kFieldLineLength / m);
        const int ey = RoundHalfAway(kFieldLineLength * v / m);
        canvas.MoveTo(px, py);
        canvas.LineTo(px + ex, py - ey);
      }
      px += kFieldGridStep;
    } while (px < view.drawing_width);
    py += kFieldGridStep;
  } while (py < view.drawing_height);
}

}  // namespace orvendi
