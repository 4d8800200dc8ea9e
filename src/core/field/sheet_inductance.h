#pragma once

namespace orvendi {

// Inductances of a thin sheet cut into equal dx x dy cells, each cell carrying a mesh current
// that circulates along its four edges, anticlockwise seen from +z. Internal edges carry the
// difference of their two meshes' currents.

// Mutual inductance (H) of two parallel straight filaments along one axis, over [a1, a2] and
// [b1, b2] of that axis, a perpendicular distance d apart (Neumann's formula in closed form).
// d = 0 is only meant for segments on one line that do not overlap.
double ParallelFilamentInductance(double a1, double a2, double b1, double b2, double d);

// The distance a strip of width w (thin, current along its length) has from itself in the
// geometric-mean sense: w e^-3/2. It stands in for d when a strip meets itself.
double StripSelfDistance(double width);

// Beyond this many cell sizes (the larger side) between centres, two meshes couple as coplanar
// point dipoles; nearer, through the filament formula edge by edge.
inline constexpr double kDipoleDistanceCells = 20.0;

// Mutual inductance of the meshes of two cells di, dj cells apart (self inductance for 0, 0),
// every edge's strip a whole cell wide.
double MeshInductanceExact(double dx, double dy, int di, int dj);
double MeshInductanceDipole(double dx, double dy, int di, int dj);
double MeshInductance(double dx, double dy, int di, int dj);

// What an edge on the sheet's outline adds to its mesh's self inductance: its strip reaches only
// from the cell centre to the outline, half a cell.
double OutlineEdgeExtra(double length, double width);

}  // namespace orvendi
