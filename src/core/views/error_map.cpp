#include "core/views/error_map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>

#include "core/analysis/targets.h"
#include "core/design/number_text.h"
#include "core/position/accuracy.h"
#include "core/views/colour_map.h"
#include "core/views/plot_scale.h"
#include "core/views/view_geometry.h"

namespace orvendi {

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr int kLegendDigits = 3;
const Pen kNullPen{1, kBlack, true};
const Pen kHatchPen{1, kNoEstimateHatch, false};
const Pen kFramePen{1, kBlack, false};

// Diagonal lines on the pixels of a box where x + y is a multiple of the spacing, so that
// neighbouring boxes continue each other's lines.
void HatchLines(Canvas& canvas, int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right - left < 1 || bottom - top < 1) return;
  ScopedPen pen(canvas, kHatchPen);
  const int last_x = right - 1;
  const int last_y = bottom - 1;
  const long long first_sum = static_cast<long long>(left) + top;
  const long long last_sum = static_cast<long long>(last_x) + last_y;
  const long long offset = ((-first_sum) % kHatchSpacing + kHatchSpacing) % kHatchSpacing;
  for (long long s = first_sum + offset; s <= last_sum; s += kHatchSpacing) {
    const int x0 = static_cast<int>(std::max<long long>(left, s - last_y));
    const int x1 = static_cast<int>(std::min<long long>(last_x, s - top));
    canvas.MoveTo(x0, static_cast<int>(s - x0));
    canvas.LineTo(x1 + 1, static_cast<int>(s - x1 - 1));
  }
}

void HatchedBox(Canvas& canvas, int left, int top, int right, int bottom) {
  {
    ScopedPen pen(canvas, kNullPen);
    ScopedBrush brush(canvas, Brush{kNoEstimateFill, false});
    canvas.Rectangle(std::min(left, right), std::min(top, bottom), std::max(left, right),
                     std::max(top, bottom));
  }
  HatchLines(canvas, left, top, right, bottom);
}

Rgb CellColour(double value, const ErrorMapGrid& grid) {
  return std::isnan(value) ? kNoEstimateFill : ViridisColours()[ColourIndex(value, grid.low_m, grid.high_m)];
}

// Whether, in a view edge-on to the plane, the plane's first axis is the one still seen.
bool FirstAxisSeen(int current_view, int scan_plane) {
  return (scan_plane == 0 && current_view == 1) || (scan_plane == 1 && current_view == 0) ||
         (scan_plane == 2 && current_view == 2);
}

// The world axis (0 x, 1 y, 2 z) along the window's horizontal in a view.
int HorizontalWorldAxis(int current_view) { return current_view == 2 ? 1 : 0; }
// The world axis of a scan plane's first (or second) grid axis.
int GridWorldAxis(int scan_plane, bool first) {
  static constexpr int kAxes[3][2] = {{0, 1}, {1, 2}, {2, 0}};
  return kAxes[scan_plane][first ? 0 : 1];
}

// Window edges of the cells along one grid axis: the pixel of each point on the axis.
std::vector<int> AxisEdges(const ViewState& view, const ErrorMapGrid& grid, bool first, bool horizontal) {
  const std::vector<ScanPoint>& points = first ? grid.first_axis : grid.second_axis;
  std::vector<int> edges(points.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    const ScanPoint& p = points[k];
    edges[k] = horizontal ? WorldToWindowX(view, p.x, p.y) : WorldToWindowY(view, p.y, p.z);
  }
  return edges;
}

// `values` row by row of the window's cells; hatch lines go over the cells without a figure
// once every cell has been filled.
void FillAndHatch(Canvas& canvas, std::span<const int> xs, std::span<const int> ys,
                  const std::vector<double>& values, const ErrorMapGrid& grid) {
  std::vector<Rgb> colours(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) colours[k] = CellColour(values[k], grid);
  canvas.FillCells(xs, ys, colours);
  const std::size_t columns = xs.size() - 1;
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (!std::isnan(values[k])) continue;
    const std::size_t i = k % columns;
    const std::size_t j = k / columns;
    HatchLines(canvas, xs[i], ys[j], xs[i + 1], ys[j + 1]);
  }
}

void DrawPlaneCells(Canvas& canvas, const ViewState& view, const ErrorMapGrid& grid) {
  const int nf = grid.first_points;
  const int ns = grid.second_points;
  const bool first_across = GridWorldAxis(grid.scan_plane, true) == HorizontalWorldAxis(view.current_view);
  const std::vector<int> first_edges = AxisEdges(view, grid, true, first_across);
  const std::vector<int> second_edges = AxisEdges(view, grid, false, !first_across);
  // Row by row of the window: cells along the window's horizontal run fastest.
  std::vector<double> values(static_cast<std::size_t>(nf - 1) * (ns - 1));
  std::size_t k = 0;
  if (first_across) {
    for (int j = 0; j + 1 < ns; ++j) {
      for (int i = 0; i + 1 < nf; ++i) values[k++] = ErrorMapCellValue(grid, i, j);
    }
    FillAndHatch(canvas, first_edges, second_edges, values, grid);
  } else {
    for (int i = 0; i + 1 < nf; ++i) {
      for (int j = 0; j + 1 < ns; ++j) values[k++] = ErrorMapCellValue(grid, i, j);
    }
    FillAndHatch(canvas, second_edges, first_edges, values, grid);
  }
}

void DrawPlaneBand(Canvas& canvas, const ViewState& view, const ErrorMapGrid& grid) {
  const bool first_seen = FirstAxisSeen(view.current_view, grid.scan_plane);
  const int seen_cells = (first_seen ? grid.first_points : grid.second_points) - 1;
  const int hidden_cells = (first_seen ? grid.second_points : grid.first_points) - 1;
  const bool horizontal =
      GridWorldAxis(grid.scan_plane, first_seen) == HorizontalWorldAxis(view.current_view);
  std::vector<double> worst(seen_cells);
  for (int k = 0; k < seen_cells; ++k) {
    double w = 0.0;
    for (int h = 0; h < hidden_cells; ++h) {
      const double v = first_seen ? ErrorMapCellValue(grid, k, h) : ErrorMapCellValue(grid, h, k);
      // A cell without a figure is the worst there is.
      w = std::isnan(v) || std::isnan(w) ? kNan : h == 0 ? v : std::max(w, v);
    }
    worst[k] = w;
  }
  const std::vector<int> along = AxisEdges(view, grid, first_seen, horizontal);
  const ScanPoint& origin = grid.first_axis.front();
  const int line =
      horizontal ? WorldToWindowY(view, origin.y, origin.z) : WorldToWindowX(view, origin.x, origin.y);
  const int across[2] = {line - kErrorBandWidth / 2, line - kErrorBandWidth / 2 + kErrorBandWidth};
  if (horizontal) {
    FillAndHatch(canvas, along, across, worst, grid);
  } else {
    FillAndHatch(canvas, across, along, worst, grid);
  }
}

}  // namespace

Font LegendFont() { return Font{"DejaVu Sans", 12}; }

ErrorMapGrid CollectErrorMapGrid(const DesignRecord& design, const ResultBuffer& results,
                                 const std::vector<MonteCarloPoint>* monte_carlo,
                                 const std::vector<BoundPoint>* bounds) {
  ErrorMapGrid grid;
  grid.quantity = design.error_map_quantity;
  grid.scan_plane = design.scan_plane;
  ScanState scan;
  ScanStart(scan, design);
  if (scan.first_count < 0 || scan.second_count < 0) return grid;
  grid.first_points = scan.first_count + 1;
  grid.second_points = scan.second_count + 1;
  const std::size_t count = static_cast<std::size_t>(grid.first_points) * grid.second_points;
  grid.values.assign(count, kNan);
  const bool errors = grid.quantity == kErrorMapError;
  const bool of_run = QuantityOfLastRun(grid.quantity);
  if (of_run && design.results_valid == 0) return grid;
  if (bounds != nullptr && bounds->size() != count) bounds = nullptr;
  const bool own_bounds = grid.quantity == kErrorMapBound && bounds != nullptr;
  if (!of_run && !own_bounds && (monte_carlo == nullptr || monte_carlo->size() != count)) return grid;

  ScanPoint point;
  for (std::size_t k = 0; ScanNextAlongFirst(scan, point) && k < count; ++k) {
    if (point.second_index == 0) grid.first_axis.push_back(point);
    if (point.first_index == 0) grid.second_axis.push_back(point);
    if (errors) {
      // The distance the accuracy figures are built on; a point without an estimate gives inf.
      grid.values[k] = std::sqrt(SquaredPositionError(point.x, point.y, point.z,
                                                      results.Slot(point.first_index, point.second_index)));
    } else if (of_run) {
      grid.values[k] = *results.Distortion(point.first_index, point.second_index);
    } else if (own_bounds) {
      grid.values[k] = (*bounds)[k].bound_m;
    } else {
      const MonteCarloPoint& figures = (*monte_carlo)[k];
      grid.values[k] = grid.quantity == kErrorMapTrueness    ? figures.trueness_m
                       : grid.quantity == kErrorMapBound ? figures.bound_m
                                                         : figures.precision_m;
    }
  }
  grid.available = true;

  bool any = false;
  for (double& v : grid.values) {
    if (!std::isfinite(v)) {
      v = kNan;
      ++grid.missing;
      continue;
    }
    grid.low_m = any ? std::min(grid.low_m, v) : v;
    grid.high_m = any ? std::max(grid.high_m, v) : v;
    any = true;
  }
  return grid;
}

double ErrorMapCellValue(const ErrorMapGrid& grid, int i, int j) {
  const int nf = grid.first_points;
  const std::size_t a = static_cast<std::size_t>(j) * nf + i;
  const std::size_t b = a + nf;
  const double sum = grid.values[a] + grid.values[a + 1] + grid.values[b] + grid.values[b + 1];
  return sum / 4.0;
}

bool ViewShowsScanPlane(int current_view, int scan_plane) {
  return (scan_plane == 0 && current_view == 0) || (scan_plane == 1 && current_view == 2) ||
         (scan_plane == 2 && current_view == 1);
}

void DrawErrorMap(Canvas& canvas, const ViewState& view, const ErrorMapGrid& grid) {
  if (!grid.available || grid.first_points < 2 || grid.second_points < 2) return;
  if (ViewShowsScanPlane(view.current_view, grid.scan_plane)) {
    DrawPlaneCells(canvas, view, grid);
  } else {
    DrawPlaneBand(canvas, view, grid);
  }
}

namespace {

// Whether the map's errors meet the design's targets; a point without an estimate fails both.
std::string GridTargetsVerdict(const DesignRecord& design, const ErrorMapGrid& grid) {
  if (grid.quantity != kErrorMapError || !grid.available) return {};
  double largest = 0.0;
  double sum_sq = 0.0;
  int counted = 0;
  for (const double error : grid.values) {
    if (std::isnan(error)) continue;
    largest = std::max(largest, error);
    sum_sq += error * error;
    ++counted;
  }
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const bool failed = grid.missing > 0 || counted == 0;
  return TargetsVerdict(design, failed ? kInf : largest, failed ? kInf : std::sqrt(sum_sq / counted));
}

}  // namespace

std::string ErrorQuantityTitle(int quantity) {
  switch (quantity) {
    case kErrorMapTrueness:
      return "Trueness (mm)";
    case kErrorMapPrecision:
      return "Precision (mm)";
    case kErrorMapBound:
      return "Precision bound (mm)";
    case kErrorMapDistortion:
      // The legend shows figures times 1000.
      return "Distortion (\u2030)";
    default:
      return "Error (mm)";
  }
}

void DrawErrorLegend(Canvas& canvas, const DesignRecord& design, const ErrorMapGrid* grid) {
  // The factor is the measured map's, so it says nothing while that map is hidden.
  const bool magnified = design.error_magnification != 1.0 && design.show_measured_map != 0;
  if (grid == nullptr && !magnified) return;
  const Font font = LegendFont();
  const TextStyle style{font, kBlack, false, kWhite};
  const bool available = grid != nullptr && grid->available;
  const bool bound = grid != nullptr && grid->quantity == kErrorMapBound;
  // A bar from 0 to 0 would claim figures that no point has.
  const bool bar = available && grid->missing < static_cast<int>(grid->values.size());

  std::string title;
  if (grid != nullptr) {
    title = available                           ? ErrorQuantityTitle(grid->quantity)
            : QuantityOfLastRun(grid->quantity) ? "Error: no results, calculate first"
            : grid->quantity == kErrorMapBound  ? "No precision bound for this design"
                                                : "No Monte-Carlo result for this design";
  }
  const std::string low = bar ? SignificantText(grid->low_m * 1000.0, kLegendDigits) : "";
  const std::string high = bar ? SignificantText(grid->high_m * 1000.0, kLegendDigits) : "";
  std::string missing;
  if (available && !bar) {
    missing = bound ? "No point has a finite bound" : "No point has an estimate";
  } else if (bar && grid->missing > 0) {
    missing = FormatInteger(grid->missing) + (grid->missing == 1 ? " point" : " points") +
              (bound ? " without a finite bound" : " without an estimate");
  }
  const std::string factor = magnified ? "Measured map: error \u00d7 " +
                                             FormatNumber(design.error_magnification, ShowFormat::kGeneral)
                                       : "";

  const std::string verdict = grid != nullptr ? GridTargetsVerdict(design, *grid) : "";

  const int line = canvas.MeasureText("0", font).height;
  const int swatch = kLegendBarHeight;
  int width = bar ? kColourMapSize : 0;
  int height = 0;
  const auto row = [&](const std::string& text, int indent) {
    if (text.empty()) return;
    width = std::max(width, indent + canvas.MeasureText(text, font).width);
    height += (height > 0 ? kLegendGap : 0) + std::max(line, indent > 0 ? swatch : 0);
  };
  row(title, 0);
  if (bar) {
    height += kLegendGap + kLegendBarHeight;
    row(low + " " + high, 0);
  }
  row(missing, swatch + kLegendGap);
  row(verdict, 0);
  row(factor, 0);

  const int x = kLegendLeft + kLegendPadding;
  {
    ScopedPen pen(canvas, kFramePen);
    ScopedBrush brush(canvas, Brush{kWhite, false});
    canvas.Rectangle(kLegendLeft, kLegendTop, x + width + kLegendPadding,
                     kLegendTop + height + 2 * kLegendPadding);
  }
  int y = kLegendTop + kLegendPadding;
  const auto next = [&](int used) { y += used + kLegendGap; };
  if (!title.empty()) {
    canvas.Text(x, y, title, style);
    next(line);
  }
  if (bar) {
    std::array<int, kColourMapSize + 1> columns{};
    for (int k = 0; k <= kColourMapSize; ++k) columns[k] = x + k;
    const int rows[2] = {y, y + kLegendBarHeight};
    canvas.FillCells(columns, rows, ViridisColours());
    next(kLegendBarHeight);
    canvas.Text(x, y, low, style);
    canvas.Text(x + kColourMapSize - canvas.MeasureText(high, font).width, y, high, style);
    next(line);
  }
  if (!missing.empty()) {
    HatchedBox(canvas, x, y, x + swatch, y + swatch);
    canvas.Text(x + swatch + kLegendGap, y, missing, style);
    next(std::max(line, swatch));
  }
  if (!verdict.empty()) {
    canvas.Text(x, y, verdict, style);
    next(line);
  }
  if (!factor.empty()) canvas.Text(x, y, factor, style);
}

bool QuantityOfLastRun(int quantity) { return quantity == kErrorMapError || quantity == kErrorMapDistortion; }

double MagnifiedCoordinate(double t, double m, double factor) {
  if (factor == 1.0) return m;
  return t + factor * (m - t);
}

}  // namespace orvendi
