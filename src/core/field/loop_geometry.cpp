// Biot-Savart for a finite straight wire: for a segment A -> B and a point P at perpendicular
// distance rho from its line the field is mu0 N I (cos thetaA + cos thetaB) / (4 pi rho) along
// (B - A) x (P - A), the cosines being those of the triangle A, B, P at A and at B. The work is
// split into what depends on the segment only, on the point, and on the current, so that callers
// evaluating many currents at one point, or many points of one loop, share the common parts while
// every sum stays bit-identical to evaluating the segment in one go.
#include "core/field/loop_geometry.h"

#include <cmath>

#include "core/field/field_constants.h"

namespace orvendi {

bool SquareCoilCorners(const CoilRecord& coil, LoopCorners& c) {
  const double h = coil.side_m * 0.5;
  const double cx = coil.x;
  const double cy = coil.y;
  const double cz = coil.z;
  switch (coil.axis) {
    case 0:
      c = {{{cx, cy + h, cz + h}, {cx, cy - h, cz + h}, {cx, cy - h, cz - h}, {cx, cy + h, cz - h}}};
      return true;
    case 1:
      c = {{{cx + h, cy, cz + h}, {cx + h, cy, cz - h}, {cx - h, cy, cz - h}, {cx - h, cy, cz + h}}};
      return true;
    case 2:
      c = {{{cx + h, cy + h, cz}, {cx - h, cy + h, cz}, {cx - h, cy - h, cz}, {cx + h, cy - h, cz}}};
      return true;
    default:
      return false;
  }
}

LoopCorners BedLoopCorners(const DesignRecord& design) {
  const double z = design.bed_z1;
  return {{{design.bed_x1, design.bed_y1, z},
           {design.bed_x2, design.bed_y1, z},
           {design.bed_x2, design.bed_y2, z},
           {design.bed_x1, design.bed_y2, z}}};
}

double CoilStrength(const CoilRecord& coil) { return ((coil.turns * kMu0) * coil.peak_current_a) / kFourPi; }

double BedStrength(double current) { return (current * kMu0) / kFourPi; }

Vector3 LoopField(const LoopCorners& corners, const Vector3& point, double strength) {
  return FieldOfLoop(ShapesOfLoop(MakeLoopSides(corners), point), strength);
}

LoopSide MakeLoopSide(const Vector3& a, const Vector3& b) {
  LoopSide side;
  side.a = a;
  side.b = b;
  side.s = {b.x - a.x, b.y - a.y, b.z - a.z};
  side.length_sq = side.s.x * side.s.x + side.s.y * side.s.y + side.s.z * side.s.z;
  side.length = std::sqrt(side.length_sq);
  return side;
}

LoopSides MakeLoopSides(const LoopCorners& c) {
  return {MakeLoopSide(c[0], c[1]), MakeLoopSide(c[1], c[2]), MakeLoopSide(c[2], c[3]), MakeLoopSide(c[3], c[0])};
}

SegmentShape ShapeOfSegment(const Vector3& point, const LoopSide& side) {
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
  if (!(n_len >= 1e-20)) return shape;  // also a length that is not a number

  // Perpendicular distance taken from the foot point, not as |n| / L.
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

LoopShapes ShapesOfLoop(const LoopSides& sides, const Vector3& point) {
  return {ShapeOfSegment(point, sides[0]), ShapeOfSegment(point, sides[1]), ShapeOfSegment(point, sides[2]),
          ShapeOfSegment(point, sides[3])};
}

Vector3 FieldOfShape(const SegmentShape& shape, double strength) {
  if (shape.zero) return {};
  const double magnitude = shape.cos_sum * strength / shape.rho;
  return {magnitude * shape.n.x / shape.n_len, magnitude * shape.n.y / shape.n_len,
          magnitude * shape.n.z / shape.n_len};
}

Vector3 FieldOfLoop(const LoopShapes& shapes, double strength) {
  Vector3 field = FieldOfShape(shapes[0], strength);
  field += FieldOfShape(shapes[1], strength);
  field += FieldOfShape(shapes[2], strength);
  field += FieldOfShape(shapes[3], strength);
  return field;
}

LoopFieldSlope SegmentFieldAndSlope(const LoopSide& side, const Vector3& point, const Vector3& axis) {
  // One side of the loop pass below, on its own: f n / |n|^2 and its slope along the axis.
  const Vector3& l = side.s;
  const Vector3 r1{point.x - side.a.x, point.y - side.a.y, point.z - side.a.z};
  const Vector3 r2{point.x - side.b.x, point.y - side.b.y, point.z - side.b.z};
  const Vector3 n{l.y * r1.z - l.z * r1.y, l.z * r1.x - l.x * r1.z, l.x * r1.y - l.y * r1.x};
  const double n_sq = n.x * n.x + n.y * n.y + n.z * n.z;
  if (!(n_sq >= 1e-40)) return {};
  const double inv_n_sq = 1.0 / n_sq;
  const double inv_d1 = 1.0 / std::sqrt(r1.x * r1.x + r1.y * r1.y + r1.z * r1.z);
  const double inv_d2 = 1.0 / std::sqrt(r2.x * r2.x + r2.y * r2.y + r2.z * r2.z);
  const double l_r1 = l.x * r1.x + l.y * r1.y + l.z * r1.z;
  const double l_r2 = l.x * r2.x + l.y * r2.y + l.z * r2.z;
  const double b = (l_r1 * inv_d1 - l_r2 * inv_d2) * inv_n_sq;
  const Vector3 m{n.y * l.z - n.z * l.y, n.z * l.x - n.x * l.z, n.x * l.y - n.y * l.x};
  const double inv_diff = inv_d1 - inv_d2;
  const double w1 = l_r1 * inv_d1 * inv_d1 * inv_d1, w2 = l_r2 * inv_d2 * inv_d2 * inv_d2;
  const double u_n = (axis.x * n.x + axis.y * n.y + axis.z * n.z) * inv_n_sq;
  return {{b * n.x, b * n.y, b * n.z},
          {(l.x * inv_diff - w1 * r1.x + w2 * r2.x - 2.0 * b * m.x) * u_n + b * (axis.y * l.z - axis.z * l.y),
           (l.y * inv_diff - w1 * r1.y + w2 * r2.y - 2.0 * b * m.y) * u_n + b * (axis.z * l.x - axis.x * l.z),
           (l.z * inv_diff - w1 * r1.z + w2 * r2.z - 2.0 * b * m.z) * u_n + b * (axis.x * l.y - axis.y * l.x)}};
}

LoopArrays MakeLoopArrays(const LoopSides& sides) {
  LoopArrays arrays;
  for (int c = 0; c < 4; ++c) {
    arrays.ax[c] = sides[c].a.x;
    arrays.ay[c] = sides[c].a.y;
    arrays.az[c] = sides[c].a.z;
    arrays.lx[c] = sides[c].s.x;
    arrays.ly[c] = sides[c].s.y;
    arrays.lz[c] = sides[c].s.z;
  }
  return arrays;
}

LoopFieldSlope LoopFieldAndSlope(const LoopArrays& loop, const Vector3& point, const Vector3& axis, bool with_slope) {
  // Side i runs from corner i to corner i + 1, so each corner's offset and distance serve the two
  // sides that meet there. Side i's field is f n / |n|^2 with l = B - A, r1 = P - A, r2 = P - B,
  // n = l x r1 and f = l.r1 / |r1| - l.r2 / |r2|: the same field as above, written without the
  // foot point and with one square root per corner, differentiated term by term. The four sides
  // are laid out as arrays and go through each step together, which the compiler can vectorise.
  const double* lx = loop.lx;
  const double* ly = loop.ly;
  const double* lz = loop.lz;
  double rx[4], ry[4], rz[4];
  for (int c = 0; c < 4; ++c) {
    rx[c] = point.x - loop.ax[c];
    ry[c] = point.y - loop.ay[c];
    rz[c] = point.z - loop.az[c];
  }
  double inv_d[4], inv_d3[4];
  for (int c = 0; c < 4; ++c) {
    // At a corner both sides meeting there hold the point on their lines and add nothing; a
    // zero instead of an infinite inverse keeps their terms at 0 rather than 0 times infinity.
    const double d_sq = rx[c] * rx[c] + ry[c] * ry[c] + rz[c] * rz[c];
    const double inverse = 1.0 / std::sqrt(d_sq);
    inv_d[c] = d_sq > 0.0 ? inverse : 0.0;
    inv_d3[c] = inv_d[c] * inv_d[c] * inv_d[c];
  }
  // The far end of each side is the next side's corner.
  const double ex[4] = {rx[1], rx[2], rx[3], rx[0]};
  const double ey[4] = {ry[1], ry[2], ry[3], ry[0]};
  const double ez[4] = {rz[1], rz[2], rz[3], rz[0]};
  const double inv_e[4] = {inv_d[1], inv_d[2], inv_d[3], inv_d[0]};
  const double inv_e3[4] = {inv_d3[1], inv_d3[2], inv_d3[3], inv_d3[0]};
  double nx[4], ny[4], nz[4], inv_n_sq[4], b[4], l_r1[4], l_r2[4];
  for (int i = 0; i < 4; ++i) {
    nx[i] = ly[i] * rz[i] - lz[i] * ry[i];
    ny[i] = lz[i] * rx[i] - lx[i] * rz[i];
    nz[i] = lx[i] * ry[i] - ly[i] * rx[i];
    const double n_sq = nx[i] * nx[i] + ny[i] * ny[i] + nz[i] * nz[i];
    // A point on the side's line (or a side of no length): no field, as SegmentField gives. The
    // quotients are formed either way and then chosen, so the four sides need no branch.
    const bool on_line = !(n_sq >= 1e-40);
    const double inverse = 1.0 / n_sq;
    inv_n_sq[i] = on_line ? 0.0 : inverse;
    l_r1[i] = lx[i] * rx[i] + ly[i] * ry[i] + lz[i] * rz[i];
    l_r2[i] = lx[i] * ex[i] + ly[i] * ey[i] + lz[i] * ez[i];
    const double side_b = (l_r1[i] * inv_d[i] - l_r2[i] * inv_e[i]) * inverse;
    b[i] = on_line ? 0.0 : side_b;
  }
  const Vector3 field{b[0] * nx[0] + b[1] * nx[1] + b[2] * nx[2] + b[3] * nx[3],
                      b[0] * ny[0] + b[1] * ny[1] + b[2] * ny[2] + b[3] * ny[3],
                      b[0] * nz[0] + b[1] * nz[1] + b[2] * nz[2] + b[3] * nz[3]};
  if (!with_slope) return {field, {}};
  // d/dP_j of u . field: n changes by l x e_j, |n|^2 by 2 (n x l)_j and f by df_j, so the slope
  // is a_j (u . n) + b (u x l)_j with a_j = (df_j - 2 b (n x l)_j) / |n|^2.
  double sx[4], sy[4], sz[4];
  for (int i = 0; i < 4; ++i) {
    const double mx = ny[i] * lz[i] - nz[i] * ly[i];
    const double my = nz[i] * lx[i] - nx[i] * lz[i];
    const double mz = nx[i] * ly[i] - ny[i] * lx[i];
    const double inv_diff = inv_d[i] - inv_e[i];
    const double w1 = l_r1[i] * inv_d3[i], w2 = l_r2[i] * inv_e3[i];
    const double u_n = (axis.x * nx[i] + axis.y * ny[i] + axis.z * nz[i]) * inv_n_sq[i];
    sx[i] = (lx[i] * inv_diff - w1 * rx[i] + w2 * ex[i] - 2.0 * b[i] * mx) * u_n +
            b[i] * (axis.y * lz[i] - axis.z * ly[i]);
    sy[i] = (ly[i] * inv_diff - w1 * ry[i] + w2 * ey[i] - 2.0 * b[i] * my) * u_n +
            b[i] * (axis.z * lx[i] - axis.x * lz[i]);
    sz[i] = (lz[i] * inv_diff - w1 * rz[i] + w2 * ez[i] - 2.0 * b[i] * mz) * u_n +
            b[i] * (axis.x * ly[i] - axis.y * lx[i]);
  }
  return {field, {sx[0] + sx[1] + sx[2] + sx[3], sy[0] + sy[1] + sy[2] + sy[3], sz[0] + sz[1] + sz[2] + sz[3]}};
}

}  // namespace orvendi
