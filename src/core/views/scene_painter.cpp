#include "core/views/scene_painter.h"

#include <cmath>

#include "core/views/bed_editing.h"
#include "core/views/error_map.h"
#include "core/views/field_display.h"
#include "core/views/view_geometry.h"

namespace orvendi {

namespace {

const Pen kGeneratorPen{1, kGeneratorRed, false};
const Brush kGeneratorBrush{kGeneratorRed, false};
const Pen kBedPen{kBedPenWidth, kBedTeal, false};
const Pen kActualPen{1, kMapGreen, false};
const Pen kMeasuredPen{1, kMapBlue, false};
const Brush kMapBrush{kMapBlue, false};

void Dot(Canvas& canvas, int x, int y) { canvas.Ellipse(x - 1, y - 1, x + 2, y + 2); }

// Window position of a world point in the current view.
void ToWindow(const ViewState& view, double x, double y, double z, int& wx, int& wy) {
  wx = WorldToWindowX(view, x, y);
  wy = WorldToWindowY(view, y, z);
}

// A grid pass: one polyline per value of the slow index, the pen moved where the fast index
// is 0. Points the source cannot place break the line.
template <typename Next, typename Place>
void GridPass(Canvas& canvas, const DesignRecord& design, Next next, bool along_first, Place place) {
  ScanState scan;
  ScanStart(scan, design);
  ScanPoint p;
  bool pen_placed = false;
  while (next(scan, p)) {
    int x = 0;
    int y = 0;
    if (!place(p, x, y)) {
      pen_placed = false;
      continue;
    }
    const int fast = along_first ? p.first_index : p.second_index;
    if (fast == 0 || !pen_placed) {
      canvas.MoveTo(x, y);
    } else {
      canvas.LineTo(x, y);
    }
    pen_placed = true;
  }
}

template <typename Place>
void DrawMap(Canvas& canvas, const DesignRecord& design, Place place) {
  if (design.map_style == 0) {
    ScanState scan;
    ScanStart(scan, design);
    ScanPoint p;
    while (ScanNextAlongFirst(scan, p)) {
      int x = 0;
      int y = 0;
      if (place(p, x, y)) Dot(canvas, x, y);
    }
  } else if (design.map_style == 1) {
    GridPass(canvas, design, ScanNextAlongFirst, true, place);
    GridPass(canvas, design, ScanNextAlongSecond, false, place);
  }
}

bool Drawable(double v) { return std::isfinite(v) && std::fabs(v) <= kFarAwayM; }

}  // namespace

void DrawGenerator(Canvas& canvas, const GeneratorRecord& generator, const ViewState& view) {
  ScopedPen pen(canvas, kGeneratorPen);
  ScopedBrush brush(canvas, kGeneratorBrush);
  int x = 0;
  int y = 0;
  ToWindow(view, generator.x, generator.y, generator.z, x, y);
  canvas.Ellipse(x - 3, y - 3, x + 4, y + 4);
}

void DrawBed(Canvas& canvas, const DesignRecord& design, const ViewState& view, bool handles) {
  {
    const BedWindowCorners box = ThroughCornerPixels(BedCorners(design, view));
    ScopedPen pen(canvas, kBedPen);
    ScopedBrush brush(canvas, kNullBrush);
    canvas.Rectangle(box.x1, box.y1, box.x2, box.y2);
  }
  if (handles) DrawBedHandles(canvas, design, view);
}

void DrawBedHandles(Canvas& canvas, const DesignRecord& design, const ViewState& view) {
  const BedWindowCorners c = BedCorners(design, view);
  for (int k = 0; k < 8; ++k) {
    int h = 0;
    int v = 0;
    BedHandlePoint(c, k, h, v);
    canvas.Rectangle(h - 2, v - 2, h + 3, v + 3);
  }
}

void DrawActualMap(Canvas& canvas, const DesignRecord& design, const ViewState& view) {
  ScopedPen pen(canvas, kActualPen);
  ScopedBrush brush(canvas, kMapBrush);
  DrawMap(canvas, design, [&view](const ScanPoint& p, int& x, int& y) {
    ToWindow(view, p.x, p.y, p.z, x, y);
    return true;
  });
}

void DrawMeasuredMap(Canvas& canvas, const DesignRecord& design, const ViewState& view,
                     const ResultBuffer& results) {
  if (design.results_valid == 0) return;
  ScopedPen pen(canvas, kMeasuredPen);
  ScopedBrush brush(canvas, kMapBrush);
  const double factor = design.error_magnification;
  DrawMap(canvas, design, [&view, &results, factor](const ScanPoint& p, int& x, int& y) {
    const double* m = results.Slot(p.first_index, p.second_index);
    if (m == nullptr) return false;
    const double shown[3] = {MagnifiedCoordinate(p.x, m[0], factor), MagnifiedCoordinate(p.y, m[1], factor),
                             MagnifiedCoordinate(p.z, m[2], factor)};
    if (!Drawable(shown[0]) || !Drawable(shown[1]) || !Drawable(shown[2])) return false;
    ToWindow(view, shown[0], shown[1], shown[2], x, y);
    return true;
  });
}

void PaintScene(Canvas& canvas, const DesignRecord& design, const ViewState& view, const ResultBuffer& results,
                bool bed_handles, const std::vector<MonteCarloPoint>* monte_carlo,
                const std::vector<BoundPoint>* bounds) {
  ErrorMapGrid error_grid;
  const bool error_map = design.show_error_map != 0;
  if (error_map) {
    error_grid = CollectErrorMapGrid(design, results, monte_carlo, bounds);
    DrawErrorMap(canvas, view, error_grid);
  }
  if (design.show_actual_map != 0) DrawActualMap(canvas, design, view);
  if (design.show_generators != 0) {
    for (const GeneratorRecord& generator : design.generators) DrawGenerator(canvas, generator, view);
  }
  if (design.show_bed != 0) DrawBed(canvas, design, view, bed_handles);
  if (design.show_b_field != 0) DrawBField(canvas, design, view);
  if (design.show_measured_map != 0) DrawMeasuredMap(canvas, design, view, results);
  DrawErrorLegend(canvas, design, error_map ? &error_grid : nullptr);
}

}  // namespace orvendi
