#pragma once

#include <array>

#include "core/design/design_record.h"
#include "core/field/vector3.h"

namespace orvendi {

// Field (T) at `point` of a straight current from a to b. `strength` is the permeability of free
// space times the ampere-turns over 4 pi, formed by the caller. Zero where the point lies on the
// line through the segment or the segment has no length.
Vector3 SegmentField(const Vector3& point, const Vector3& a, const Vector3& b, double strength);

// Real model: the coil as a square loop of four straight segments.
Vector3 SquareCoilField(const CoilRecord& coil, const Vector3& point);

// Field (T, peak) of a generator's X, Y or Z coil at a point: the real square loop when the
// generator's real_dipole is set, the ideal point dipole otherwise.
Vector3 CoilFieldX(const GeneratorRecord& generator, const Vector3& point);
Vector3 CoilFieldY(const GeneratorRecord& generator, const Vector3& point);
Vector3 CoilFieldZ(const GeneratorRecord& generator, const Vector3& point);
// The same with the axis as an argument (0 X, 1 Y, 2 Z).
Vector3 CoilField(const GeneratorRecord& generator, int axis, const Vector3& point);

// Ideal point dipole of a generator, moment along the given axis.
Vector3 IdealDipoleField(const GeneratorRecord& generator, int axis, const Vector3& point);
// Its derivatives by the point's x, y and z, in closed form; zero within the smallest distance
// the field keeps (where the field does not change).
std::array<Vector3, 3> IdealDipoleGradient(const GeneratorRecord& generator, int axis, const Vector3& point);

}  // namespace orvendi
