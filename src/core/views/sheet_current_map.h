#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/field/eddy_sheet.h"

namespace orvendi {

// Which part of a cell's mesh-current phasor a picture shows.
enum class SheetPart { kMagnitude, kInPhase, kQuadrature };
inline constexpr int kSheetPartCount = 3;

// The sheet current density at a cell centre, A/m.
struct SheetArrow {
  double x = 0.0;
  double y = 0.0;
  double kx = 0.0;
  double ky = 0.0;
};

// One coil's mesh currents on the sheet's cells, ready to draw: cell (i, j) spans x_edges[i..i+1]
// and y_edges[j..j+1] and carries amperes[i + cells_x * j].
struct SheetCurrentMap {
  int cells_x = 0;
  int cells_y = 0;
  std::vector<double> x_edges;
  std::vector<double> y_edges;
  std::vector<double> amperes;
  double low = 0.0;
  double high = 0.0;
  // The in-phase or quadrature part's current density on at most kArrowsPerSide cells a side;
  // none for the magnitude, a phasor's size having no direction.
  std::vector<SheetArrow> arrows;
  double largest_density = 0.0;
  int arrow_step = 1;  // cells from one arrow to the next
};

inline constexpr int kArrowsPerSide = 16;

// Coil 0..8 of `sheet`; the density is the curl of the mesh currents taken as a stream function,
// zero outside the sheet.
SheetCurrentMap MakeSheetCurrentMap(const EddySheet& sheet, int coil, SheetPart part);

// "Generator 1, Y coil" for coil 4.
std::string SheetCoilName(int coil);
// "Magnitude", "In phase", "Quadrature".
std::string_view SheetPartName(SheetPart part);

}  // namespace orvendi
