#pragma once

#include <array>

#include "core/design/design_record.h"
#include "core/field/vector3.h"

namespace orvendi {

// A closed loop of four straight current segments: a real generator coil or the bed outline.
using LoopCorners = std::array<Vector3, 4>;

// Corners of a square coil in the order its current runs (1 -> 2 -> 3 -> 4 -> 1), which is
// anticlockwise seen from the +axis side. False for an axis other than 0, 1, 2.
bool SquareCoilCorners(const CoilRecord& coil, LoopCorners& corners);
// Corners of the bed loop at height bed_z1: (x1, y1), (x2, y1), (x2, y2), (x1, y2).
LoopCorners BedLoopCorners(const DesignRecord& design);

// mu0 N I / 4 pi of a coil, and of a bed current of the given magnitude.
double CoilStrength(const CoilRecord& coil);
double BedStrength(double current);

// Field (T) at a point of a loop's current, `strength` being mu0 N I / 4 pi: the sum of the four
// sides' SegmentField in side order.
Vector3 LoopField(const LoopCorners& corners, const Vector3& point, double strength);

// One side of a loop with what does not depend on the field point.
struct LoopSide {
  Vector3 a, b, s;
  double length_sq = 0.0;
  double length = 0.0;
};
using LoopSides = std::array<LoopSide, 4>;

LoopSide MakeLoopSide(const Vector3& a, const Vector3& b);
LoopSides MakeLoopSides(const LoopCorners& corners);

// The part of a straight segment's field that depends on the point but not on the current:
// the sum of the two angle cosines, the perpendicular distance and the direction (B - A) x (P - A).
// `zero` marks a point on the line through the segment (or a segment of no length).
struct SegmentShape {
  bool zero = true;
  double cos_sum = 0.0;
  double rho = 0.0;
  Vector3 n;
  double n_len = 0.0;
};
using LoopShapes = std::array<SegmentShape, 4>;

SegmentShape ShapeOfSegment(const Vector3& point, const LoopSide& side);
LoopShapes ShapesOfLoop(const LoopSides& sides, const Vector3& point);
// The segment's field for a strength; together with ShapeOfSegment, SegmentField to the bit.
Vector3 FieldOfShape(const SegmentShape& shape, double strength);
// Sum of the four sides' fields in side order.
Vector3 FieldOfLoop(const LoopShapes& shapes, double strength);

// A loop's field at strength 1 and the derivatives by the point's x, y and z of its component
// along `axis` (what a sensor coil on that axis sees; zero unless `with_slope`), in closed form and in one pass that shares
// each corner's distance between the two sides meeting there (the sides of a closed loop, as
// MakeLoopSides forms them, laid out side by side). Zero for a side whose line passes through the point, like its
// field. The field equals FieldOfLoop's to rounding, not to the bit: for callers that need
// speed and a field and slope that agree, such as a fit.
struct LoopArrays {
  double ax[4], ay[4], az[4];  // corner i, where side i starts
  double lx[4], ly[4], lz[4];  // side i, corner i + 1 minus corner i
};
LoopArrays MakeLoopArrays(const LoopSides& sides);
struct LoopFieldSlope {
  Vector3 field;
  Vector3 slope;
};
// The same for one straight segment on its own.
LoopFieldSlope SegmentFieldAndSlope(const LoopSide& side, const Vector3& point, const Vector3& axis);
LoopFieldSlope LoopFieldAndSlope(const LoopArrays& loop, const Vector3& point, const Vector3& axis, bool with_slope);

}  // namespace orvendi
