#include "field/field_display.h"

#include <cmath>

#include "design/round_half_away.h"
#include "field/bed_field.h"
#include "field/coil_field.h"
#include "views/view_geometry.h"

namespace orvendi {

namespace {

// The point-dependent part of SegmentField for one side.
struct SegmentShape {
  bool zero = true;
  double cos_sum = 0.0;
  double rho = 0.0;
  Vector3 n;
  double n_len = 0.0;
};

LoopSide MakeSide(const Vector3& a, const Vector3& b) {
  LoopSide side;
  side.a = a;
  side.b = b;
  side.s = {b.x - a.x, b.y - a.y, b.z - a.z};
  side.length_sq = side.s.x * side.s.x + side.s.y * side.s.y + side.s.z * side.s.z;
  side.length = std::sqrt(side.length_sq);
  return side;
}

std::array<LoopSide, 4> MakeLoop(const Vector3 (&c)[4]) {
  return {MakeSide(c[0], c[1]), MakeSide(c[1], c[2]), MakeSide(c[2], c[3]), MakeSide(c[3], c[0])};
}

// SegmentField split in two, operation for operation, so that the sum is bit-identical.
SegmentShape ShapeOf(const Vector3& point, const LoopSide& side) {
  SegmentShape shape;
  const Vector3& a = side.a;
  const Vector3& b = side.b;
  const Vector3& s = side.s;
  const Vector3 pa{point.x - a.x, point.y - a.y, point.z - a.z};
  const Vector3 pb{point.x - b.x, point.y - b.y, point.z - b.z};
  const double da_sq = pa.x * pa.x + pa.y * pa.y + pa.z * pa.z;
  const double db_sq = pb.x * pb.x + pb.y * pb.y + pb.z * pb.z;
  const double da = std::sqrt(da_sq);
  const double db = std::sqrt(db_sq);
  const Vector3 n{s.y * pa.z - s.z * pa.y, s.z * pa.x - s.x * pa.z, s.x * pa.y - s.y * pa.x};
  const double n_len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (!(n_len >= 1e-20)) return shape;
  const double t = (pa.x * s.x + pa.y * s.y + pa.z * s.z) / side.length_sq;
  const Vector3 foot{a.x + t * s.x, a.y + t * s.y, a.z + t * s.z};
  const double fx = point.x - foot.x;
  const double fy = point.y - foot.y;
  const double fz = point.z - foot.z;
  shape.rho = std::sqrt(fx * fx + fy * fy + fz * fz);
  const double cos_a = (side.length_sq + da_sq - db_sq) / (side.length * (2.0 * da));
  const double cos_b = (db_sq + side.length_sq - da_sq) / (db * (2.0 * side.length));
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

Vector3 LoopField(const SegmentShape (&shapes)[4], double strength) {
  Vector3 field = SegmentFromShape(shapes[0], strength);
  field += SegmentFromShape(shapes[1], strength);
  field += SegmentFromShape(shapes[2], strength);
  field += SegmentFromShape(shapes[3], strength);
  return field;
}

void Shapes(const std::array<LoopSide, 4>& sides, const Vector3& point, SegmentShape (&shapes)[4]) {
  for (int i = 0; i < 4; ++i) shapes[i] = ShapeOf(point, sides[i]);
}

// The corners of a square coil, in the order of the real coil model.
bool CoilCorners(const CoilRecord& coil, Vector3 (&c)[4]) {
  const double h = coil.side_m * 0.5;
  const double cx = coil.x;
  const double cy = coil.y;
  const double cz = coil.z;
  switch (coil.axis) {
    case 0:
      c[0] = {cx, cy + h, cz + h};
      c[1] = {cx, cy - h, cz + h};
      c[2] = {cx, cy - h, cz - h};
      c[3] = {cx, cy + h, cz - h};
      return true;
    case 1:
      c[0] = {cx + h, cy, cz + h};
      c[1] = {cx + h, cy, cz - h};
      c[2] = {cx - h, cy, cz - h};
      c[3] = {cx - h, cy, cz + h};
      return true;
    case 2:
      c[0] = {cx + h, cy + h, cz};
      c[1] = {cx - h, cy + h, cz};
      c[2] = {cx - h, cy - h, cz};
      c[3] = {cx + h, cy - h, cz};
      return true;
    default:
      return false;
  }
}

}  // namespace

FieldDisplaySetup PrepareFieldDisplay(const DesignRecord& design) {
  FieldDisplaySetup setup;
  setup.with_bed = design.display_bed_field != 0;
  for (int k = 0; k < kCoilCount; ++k) {
    FieldDisplaySetup::Coil& coil = setup.coils[k];
    coil.shown = design.coil_display[k] != 0;
    if (!coil.shown) continue;
    setup.any_coil = true;
    const GeneratorRecord& g = design.generators[k / 3];
    const CoilRecord& record = g.coils[k % 3];
    Vector3 corners[4];
    if (g.real_dipole != 0 && CoilCorners(record, corners)) {
      coil.square_loop = true;
      coil.sides = MakeLoop(corners);
      coil.strength = ((record.turns * 1.25663706144e-6) * record.peak_current_a) / 12.5663706144;
    }
    coil.bed_strength = (BedCurrentMagnitude(design.bed_currents[k]) * 1.25663706144e-6) / 12.5663706144;
  }
  const double z = design.bed_z1;
  const Vector3 bed[4] = {{design.bed_x1, design.bed_y1, z},
                          {design.bed_x2, design.bed_y1, z},
                          {design.bed_x2, design.bed_y2, z},
                          {design.bed_x1, design.bed_y2, z}};
  setup.bed_sides = MakeLoop(bed);
  return setup;
}

Vector3 DisplayedField(const FieldDisplaySetup& setup, const DesignRecord& design, const Vector3& point) {
  SegmentShape bed[4];
  if (setup.with_bed) Shapes(setup.bed_sides, point, bed);
  Vector3 b;
  for (int k = 0; k < kCoilCount; ++k) {
    const FieldDisplaySetup::Coil& coil = setup.coils[k];
    if (!coil.shown) continue;
    if (coil.square_loop) {
      SegmentShape sides[4];
      Shapes(coil.sides, point, sides);
      b += LoopField(sides, coil.strength);
    } else {
      b += CoilField(design.generators[k / 3], k % 3, point);
    }
    if (setup.with_bed) b += LoopField(bed, coil.bed_strength);
  }
  return b;
}

void DrawBField(Canvas& canvas, const DesignRecord& design, const ViewState& view) {
  // The sides of every loop are prepared once; the bed outline's shape is found once per sample
  // and scaled for each displayed coil's bed current.
  const FieldDisplaySetup setup = PrepareFieldDisplay(design);
  if (!setup.any_coil) return;

  // Samples stop short of the int range whatever size the area claims.
  const int width = view.drawing_width < kRoundSaturation ? view.drawing_width : kRoundSaturation;
  const int height = view.drawing_height < kRoundSaturation ? view.drawing_height : kRoundSaturation;
  int py = 0;
  do {
    int px = 0;
    do {
      const Vector3 p{WindowToWorldX(view, px), WindowToWorldY(view, px, py), WindowToWorldZ(view, py)};
      const Vector3 b = DisplayedField(setup, design, p);
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
    } while (px < width);
    py += kFieldGridStep;
  } while (py < height);
}

}  // namespace orvendi
