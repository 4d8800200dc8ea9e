#include "core/views/sheet_current_map.h"

#include <algorithm>
#include <cmath>

namespace orvendi {

namespace {

double PartOf(const std::complex<double>& current, SheetPart part) {
  switch (part) {
    case SheetPart::kInPhase:
      return current.real();
    case SheetPart::kQuadrature:
      return current.imag();
    case SheetPart::kMagnitude:
      break;
  }
  return std::abs(current);
}

}  // namespace

SheetCurrentMap MakeSheetCurrentMap(const EddySheet& sheet, int coil, SheetPart part) {
  SheetCurrentMap map;
  const BedCellGrid& g = sheet.grid;
  if (coil < 0 || coil >= kCoilCount) return map;
  const std::vector<std::complex<double>>& currents = sheet.currents[static_cast<std::size_t>(coil)];
  const int nx = g.cells_x;
  const int ny = g.cells_y;
  if (nx < 1 || ny < 1 || currents.size() != static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny)) return map;
  map.cells_x = nx;
  map.cells_y = ny;
  for (int i = 0; i <= nx; ++i) map.x_edges.push_back(g.x1 + g.dx * i);
  for (int j = 0; j <= ny; ++j) map.y_edges.push_back(g.y1 + g.dy * j);
  map.amperes.reserve(currents.size());
  for (const std::complex<double>& current : currents) map.amperes.push_back(PartOf(current, part));
  const auto [low, high] = std::minmax_element(map.amperes.begin(), map.amperes.end());
  map.low = *low;
  map.high = *high;
  if (part == SheetPart::kMagnitude) return map;

  const auto psi = [&](int i, int j) {
    if (i < 0 || j < 0 || i >= nx || j >= ny) return 0.0;
    return map.amperes[static_cast<std::size_t>(i) + static_cast<std::size_t>(nx) * static_cast<std::size_t>(j)];
  };
  const int step = std::max(1, (std::max(nx, ny) + kArrowsPerSide - 1) / kArrowsPerSide);
  map.arrow_step = step;
  for (int j = step / 2; j < ny; j += step) {
    for (int i = step / 2; i < nx; i += step) {
      // Anticlockwise mesh currents: K = (d psi / dy, -d psi / dx).
      const double kx = (psi(i, j + 1) - psi(i, j - 1)) / (2.0 * g.dy);
      const double ky = -(psi(i + 1, j) - psi(i - 1, j)) / (2.0 * g.dx);
      map.arrows.push_back(SheetArrow{g.x1 + g.dx * (i + 0.5), g.y1 + g.dy * (j + 0.5), kx, ky});
      map.largest_density = std::max(map.largest_density, std::hypot(kx, ky));
    }
  }
  return map;
}

std::string SheetCoilName(int coil) {
  if (coil < 0 || coil >= kCoilCount) return {};
  static constexpr char kAxes[] = {'X', 'Y', 'Z'};
  return "Generator " + std::to_string(coil / 3) + ", " + kAxes[coil % 3] + " coil";
}

std::string_view SheetPartName(SheetPart part) {
  switch (part) {
    case SheetPart::kInPhase:
      return "In phase";
    case SheetPart::kQuadrature:
      return "Quadrature";
    case SheetPart::kMagnitude:
      break;
  }
  return "Magnitude";
}

}  // namespace orvendi
