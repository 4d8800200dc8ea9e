// The bed as a thin eddy-current sheet. Assumptions of the model:
// - The sheet is flat (at bed_z1), thin against every distance that matters, non-magnetic, and of
//   one sheet resistance Rs = 1 / (conductivity x thickness); skin depth across it is ignored.
// - Quasi-static: no displacement current, no wave delay; phasors at the drive frequency against
//   the coil current, e^(j omega t).
// - The current is a stream function, constant over each cell and zero outside (the cell's mesh
//   current), so every edge carries the difference of its two meshes and none leaves the sheet.
// - Resistance: each edge's current flows through a strip from one cell centre to the next (to
//   the outline, half a cell, for an outline edge), Rs x length / width.
// - Inductance: filaments along the edges coupled by Neumann's formula, a strip's geometric mean
//   distance where an edge meets itself, coplanar dipoles beyond kDipoleDistanceCells cells
//   (sheet_inductance.h). The coil's flux through a cell is its Bz at 2 x 2 Gauss points.
// - The field of the sheet at a point is that of the edge filaments, so it is good at distances
//   from the sheet of a cell size or more.
// The mesh currents solve (R + j omega L) I = -j omega Phi; one LU factorisation serves the nine
// coils. Eigen's parallel products are switched off so the result does not depend on threads.
#define EIGEN_DONT_PARALLELIZE
#include "core/field/eddy_sheet.h"

#include <Eigen/Dense>
#include <cmath>
#include <cstdlib>

#include "core/field/coil_field.h"
#include "core/field/field_constants.h"
#include "core/field/loop_geometry.h"
#include "core/field/sheet_inductance.h"

namespace orvendi {

namespace {

constexpr double kMu0Over4Pi = kMu0 / kFourPi;

bool PositiveFinite(double v) { return std::isfinite(v) && v > 0.0; }

std::vector<double> InductanceTable(const BedCellGrid& g) {
  std::vector<double> table(static_cast<std::size_t>(g.cells_x) * g.cells_y);
  for (int dj = 0; dj < g.cells_y; ++dj)
    for (int di = 0; di < g.cells_x; ++di)
      table[static_cast<std::size_t>(di + g.cells_x * dj)] = MeshInductance(g.dx, g.dy, di, dj);
  return table;
}

double OutlineExtra(const BedCellGrid& g, int i, int j) {
  double extra = 0.0;
  const double vertical = OutlineEdgeExtra(g.dy, g.dx);
  const double horizontal = OutlineEdgeExtra(g.dx, g.dy);
  if (i == 0) extra += vertical;
  if (i == g.cells_x - 1) extra += vertical;
  if (j == 0) extra += horizontal;
  if (j == g.cells_y - 1) extra += horizontal;
  return extra;
}

double MeshL(const BedCellGrid& g, const std::vector<double>& table, int a, int b) {
  const int di = std::abs(a % g.cells_x - b % g.cells_x);
  const int dj = std::abs(a / g.cells_x - b / g.cells_x);
  double l = table[static_cast<std::size_t>(di + g.cells_x * dj)];
  if (a == b) l += OutlineExtra(g, a % g.cells_x, a / g.cells_x);
  return l;
}

void AddResistance(const BedCellGrid& g, double rs, Eigen::MatrixXcd& z) {
  const double vertical = rs * g.dy / g.dx;  // an edge along y, the strip across it dx wide
  const double horizontal = rs * g.dx / g.dy;
  const int nx = g.cells_x;
  for (int j = 0; j < g.cells_y; ++j) {
    for (int i = 0; i < nx; ++i) {
      const int a = i + nx * j;
      const auto edge = [&](bool inside, int neighbour, double r) {
        if (inside) {
          z(a, a) += r;
          z(a, neighbour) -= r;
        } else {
          z(a, a) += 2.0 * r;
        }
      };
      edge(i > 0, a - 1, vertical);
      edge(i < nx - 1, a + 1, vertical);
      edge(j > 0, a - nx, horizontal);
      edge(j < g.cells_y - 1, a + nx, horizontal);
    }
  }
}

// Bz of a coil integrated over each cell with 2 x 2 Gauss points.
std::vector<double> CellFlux(const GeneratorRecord& generator, int axis, const BedCellGrid& g) {
  const double h = 0.5 / std::sqrt(3.0);
  std::vector<double> flux(static_cast<std::size_t>(g.cells_x) * g.cells_y);
  for (int j = 0; j < g.cells_y; ++j) {
    for (int i = 0; i < g.cells_x; ++i) {
      double sum = 0.0;
      for (const double u : {0.5 - h, 0.5 + h})
        for (const double v : {0.5 - h, 0.5 + h})
          sum += CoilField(generator, axis, {(i + u) * g.dx + g.x1, (j + v) * g.dy + g.y1, g.z}).z;
      flux[static_cast<std::size_t>(i + g.cells_x * j)] = 0.25 * sum * g.cell_area;
    }
  }
  return flux;
}

// Each edge carries the difference of the meshes on its two sides, none outside the sheet.
void PrepareEdges(EddySheet& sheet) {
  const BedCellGrid& g = sheet.grid;
  const int nx = g.cells_x;
  const int ny = g.cells_y;
  const auto current = [&](int k, int i, int j) {
    if (i < 0 || i >= nx || j < 0 || j >= ny) return std::complex<double>();
    return sheet.currents[static_cast<std::size_t>(k)][static_cast<std::size_t>(i + nx * j)];
  };
  // Edge from a to b carrying `along` (+x or +y) for each coil.
  const auto add_edge = [&](const Vector3& a, const Vector3& b, auto&& along) {
    sheet.edges.push_back(MakeLoopSide(a, b));
    for (int k = 0; k < kCoilCount; ++k) sheet.edge_currents.push_back(along(k));
  };
  const std::size_t edges = static_cast<std::size_t>(nx + 1) * ny + static_cast<std::size_t>(ny + 1) * nx;
  sheet.edges.reserve(edges);
  sheet.edge_currents.reserve(edges * kCoilCount);
  for (int j = 0; j < ny; ++j) {
    for (int ix = 0; ix <= nx; ++ix) {
      const double x = ix * g.dx + g.x1;
      add_edge({x, j * g.dy + g.y1, g.z}, {x, (j + 1) * g.dy + g.y1, g.z},
               [&](int k) { return current(k, ix - 1, j) - current(k, ix, j); });
    }
  }
  for (int jy = 0; jy <= ny; ++jy) {
    for (int i = 0; i < nx; ++i) {
      const double y = jy * g.dy + g.y1;
      add_edge({i * g.dx + g.x1, y, g.z}, {(i + 1) * g.dx + g.x1, y, g.z},
               [&](int k) { return current(k, i, jy) - current(k, i, jy - 1); });
    }
  }
}

}  // namespace

SheetStatus SolveEddySheet(const DesignRecord& design, double ohms_per_square, const SheetProgress& progress,
                           EddySheet& sheet) {
  const BedCellGrid g = MakeBedCellGrid(design);
  if (!PositiveFinite(ohms_per_square) || !std::isfinite(design.frequency_hz) || design.frequency_hz < 0.0 ||
      g.cells_x < 1 || g.cells_y < 1 || !PositiveFinite(g.dx) || !PositiveFinite(g.dy) || !std::isfinite(g.x1) ||
      !std::isfinite(g.y1) || !std::isfinite(g.z))
    return SheetStatus::kInvalid;
  if (static_cast<long long>(g.cells_x) * g.cells_y > kMaxSheetCells) return SheetStatus::kTooManyCells;
  const auto report = [&](double share) { return !progress || progress(share); };

  EddySheet out;
  out.grid = g;
  out.frequency_hz = design.frequency_hz;
  out.ohms_per_square = ohms_per_square;
  const int n = g.cells_x * g.cells_y;
  for (int k = 0; k < kCoilCount; ++k) {
    out.source_flux[static_cast<std::size_t>(k)] = CellFlux(design.generators[static_cast<std::size_t>(k / 3)], k % 3, g);
    if (!report(0.05 * (k + 1) / kCoilCount)) return SheetStatus::kCancelled;
  }

  const double omega = design.frequency_hz * kTwoPi;
  const std::vector<double> table = InductanceTable(g);
  Eigen::MatrixXcd z(n, n);
  for (int b = 0; b < n; ++b)
    for (int a = 0; a < n; ++a) z(a, b) = std::complex<double>(0.0, omega * MeshL(g, table, a, b));
  AddResistance(g, ohms_per_square, z);
  if (!report(0.1)) return SheetStatus::kCancelled;

  Eigen::PartialPivLU<Eigen::Ref<Eigen::MatrixXcd>> lu(z);
  if (!report(0.95)) return SheetStatus::kCancelled;

  Eigen::MatrixXcd rhs(n, kCoilCount);
  for (int k = 0; k < kCoilCount; ++k)
    for (int a = 0; a < n; ++a)
      rhs(a, k) = std::complex<double>(0.0, -omega * out.source_flux[static_cast<std::size_t>(k)][static_cast<std::size_t>(a)]);
  const Eigen::MatrixXcd currents = lu.solve(rhs);
  for (int k = 0; k < kCoilCount; ++k) {
    auto& c = out.currents[static_cast<std::size_t>(k)];
    c.resize(static_cast<std::size_t>(n));
    for (int a = 0; a < n; ++a) c[static_cast<std::size_t>(a)] = currents(a, k);
  }
  PrepareEdges(out);
  if (!report(1.0)) return SheetStatus::kCancelled;
  sheet = std::move(out);
  return SheetStatus::kSolved;
}

std::array<ComplexVector3, kCoilCount> SheetField(const EddySheet& sheet, const Vector3& point) {
  std::array<ComplexVector3, kCoilCount> field{};
  const std::complex<double>* current = sheet.edge_currents.data();
  for (const LoopSide& edge : sheet.edges) {
    const Vector3 unit = FieldOfShape(ShapeOfSegment(point, edge), kMu0Over4Pi);
    for (int k = 0; k < kCoilCount; ++k, ++current) {
      const std::complex<double> c = *current;
      ComplexVector3& f = field[static_cast<std::size_t>(k)];
      f.re += Vector3{unit.x * c.real(), unit.y * c.real(), unit.z * c.real()};
      f.im += Vector3{unit.x * c.imag(), unit.y * c.imag(), unit.z * c.imag()};
    }
  }
  return field;
}

void SheetInPhaseFieldAndSlope(const EddySheet& sheet, const Vector3& point, const Vector3& axis,
                               std::array<Vector3, kCoilCount>& field, std::array<Vector3, kCoilCount>& slope) {
  field.fill({});
  slope.fill({});
  const std::complex<double>* current = sheet.edge_currents.data();
  for (const LoopSide& edge : sheet.edges) {
    const LoopFieldSlope unit = SegmentFieldAndSlope(edge, point, axis);
    for (int k = 0; k < kCoilCount; ++k, ++current) {
      const double c = current->real() * kMu0Over4Pi;
      field[static_cast<std::size_t>(k)] += Vector3{unit.field.x * c, unit.field.y * c, unit.field.z * c};
      slope[static_cast<std::size_t>(k)] += Vector3{unit.slope.x * c, unit.slope.y * c, unit.slope.z * c};
    }
  }
}

std::vector<std::complex<double>> TotalCellFlux(const EddySheet& sheet, int coil) {
  const BedCellGrid& g = sheet.grid;
  const int n = g.cells_x * g.cells_y;
  const std::vector<double> table = InductanceTable(g);
  const auto& currents = sheet.currents[static_cast<std::size_t>(coil)];
  std::vector<std::complex<double>> flux(static_cast<std::size_t>(n));
  for (int a = 0; a < n; ++a) {
    std::complex<double> sum = sheet.source_flux[static_cast<std::size_t>(coil)][static_cast<std::size_t>(a)];
    for (int b = 0; b < n; ++b) sum += MeshL(g, table, a, b) * currents[static_cast<std::size_t>(b)];
    flux[static_cast<std::size_t>(a)] = sum;
  }
  return flux;
}

}  // namespace orvendi
