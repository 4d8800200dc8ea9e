#pragma once

#include <string>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/design/design_record.h"
#include "core/platform/canvas.h"
#include "core/position/precision_bound.h"
#include "core/position/scan_grid.h"
#include "core/views/view_state.h"

namespace orvendi {

// A cell with a corner that has no estimate: light grey crossed by darker diagonal lines.
inline constexpr Rgb kNoEstimateFill{224, 224, 224};
inline constexpr Rgb kNoEstimateHatch{128, 128, 128};
inline constexpr int kHatchSpacing = 4;
// Pixels across the band that stands for the scan plane in a view that sees it edge-on.
inline constexpr int kErrorBandWidth = 10;

// The legend: a framed white box at the top-left corner of the drawing area.
inline constexpr int kLegendLeft = 8;
inline constexpr int kLegendTop = 8;
inline constexpr int kLegendPadding = 6;
inline constexpr int kLegendBarHeight = 12;
inline constexpr int kLegendGap = 4;
Font LegendFont();

// The figure the map colours at each scan-grid point, in metres (the distortion: a ratio).
struct ErrorMapGrid {
  int quantity = kErrorMapError;
  int scan_plane = 0;
  // False without a run to show: no valid results for the error, no Monte-Carlo result of the
  // current design for trueness and precision.
  bool available = false;
  int first_points = 0;
  int second_points = 0;
  // The points of the grid's edges, where the cells' borders are: (i, 0) and (0, j).
  std::vector<ScanPoint> first_axis;
  std::vector<ScanPoint> second_axis;
  std::vector<double> values;  // at second_index * first_points + first_index; NaN where there is
                               // no usable (finite) figure
  double low_m = 0.0;          // over the points with a figure; both 0 when none has one
  double high_m = 0.0;
  int missing = 0;  // points without a figure
};

// The grid of the design's scan with the error of the last run's estimates or its distortion, or
// with the trueness or precision of `monte_carlo` (the per-point figures of a Monte-Carlo run of
// this very design; null when there is none), or with the precision bound of `bounds` (a bound run
// of this very design), else of `monte_carlo`.
ErrorMapGrid CollectErrorMapGrid(const DesignRecord& design, const ResultBuffer& results,
                                 const std::vector<MonteCarloPoint>* monte_carlo,
                                 const std::vector<BoundPoint>* bounds = nullptr);

// The value of cell (i, j), between points i, i + 1 of the first axis and j, j + 1 of the
// second: the mean of its four corners, NaN when any corner has no figure.
double ErrorMapCellValue(const ErrorMapGrid& grid, int i, int j);

// Whether the view looks straight at the scan plane (plan at XY, side at YZ, front at ZX).
bool ViewShowsScanPlane(int current_view, int scan_plane);

// The cells, each filled with its colour from the viridis table over [low_m, high_m], or grey
// hatched. In a view that sees the plane edge-on, a band kErrorBandWidth pixels across along the
// plane's line, each step of it coloured by the largest cell behind it (hatched when any is).
void DrawErrorMap(Canvas& canvas, const ViewState& view, const ErrorMapGrid& grid);

// Whether the map takes the quantity from the last calculation run (the error, the distortion)
// rather than from a Monte-Carlo run.
bool QuantityOfLastRun(int quantity);

// "Error (mm)", "Trueness (mm)", "Precision (mm)", "Precision bound (mm)", "Distortion (‰)".
std::string ErrorQuantityTitle(int quantity);

// The legend box, when the map is on or the shown measured map is magnified: the quantity, the
// colour bar with the lowest and highest figure in mm (three significant digits) under its ends,
// the number of points without an estimate beside a hatched swatch (or, when no point has one,
// that line alone without a bar), and the magnification while the measured map is shown. `grid`
// is null when the map is off.
void DrawErrorLegend(Canvas& canvas, const DesignRecord& design, const ErrorMapGrid* grid);

// Where the measured map draws an estimate `m` of the true point `t`: t + factor * (m - t), and
// exactly m at factor 1.
double MagnifiedCoordinate(double t, double m, double factor);

}  // namespace orvendi
