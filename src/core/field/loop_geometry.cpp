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

namespace {

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Component(const Vector3& v, int j) { return j == 0 ? v.x : j == 1 ? v.y : v.z; }

// The segment's field written as f n / |n|^2, n = L x r1, f = L.r1 / |r1| - L.r2 / |r2| (r1, r2
// from A and B to the point), differentiated term by term.
void AddSegmentGradient(const LoopSide& side, const Vector3& point, FieldGradient& gradient) {
  const Vector3& l = side.s;
  const Vector3 r1{point.x - side.a.x, point.y - side.a.y, point.z - side.a.z};
  const Vector3 r2{point.x - side.b.x, point.y - side.b.y, point.z - side.b.z};
  const Vector3 n = Cross(l, r1);
  const double n_sq = Dot(n, n);
  if (!(std::sqrt(n_sq) >= 1e-20)) return;
  const double d1 = std::sqrt(Dot(r1, r1));
  const double d2 = std::sqrt(Dot(r2, r2));
  const double l_r1 = Dot(l, r1);
  const double l_r2 = Dot(l, r2);
  const double f = l_r1 / d1 - l_r2 / d2;
  for (int j = 0; j < 3; ++j) {
    const Vector3 unit{j == 0 ? 1.0 : 0.0, j == 1 ? 1.0 : 0.0, j == 2 ? 1.0 : 0.0};
    const Vector3 dn = Cross(l, unit);
    const double dn_sq = 2.0 * Dot(n, dn);
    const double lj = Component(l, j);
    const double df = lj / d1 - l_r1 * Component(r1, j) / (d1 * d1 * d1) - lj / d2 +
                      l_r2 * Component(r2, j) / (d2 * d2 * d2);
    const double a = df / n_sq - f * dn_sq / (n_sq * n_sq);
    const double b = f / n_sq;
    gradient[j] += Vector3{a * n.x + b * dn.x, a * n.y + b * dn.y, a * n.z + b * dn.z};
  }
}

}  // namespace

FieldGradient LoopGradient(const LoopSides& sides, const Vector3& point) {
  FieldGradient gradient{};
  for (const LoopSide& side : sides) AddSegmentGradient(side, point, gradient);
  return gradient;
}

}  // namespace orvendi
