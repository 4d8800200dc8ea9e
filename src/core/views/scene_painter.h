#pragma once

#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/design/design_record.h"
#include "core/platform/canvas.h"
#include "core/position/precision_bound.h"
#include "core/position/scan_grid.h"
#include "core/views/view_state.h"

namespace orvendi {

// Colours and pens of the layers.
inline constexpr Rgb kMapGreen{0, 255, 0};
inline constexpr Rgb kMapBlue{0, 0, 255};
inline constexpr Rgb kGeneratorRed{255, 0, 0};
inline constexpr Rgb kBedTeal{0, 128, 128};
inline constexpr int kBedPenWidth = 3;

// Measured coordinates beyond this magnitude (m) are not drawn, like non-finite ones.
inline constexpr double kFarAwayM = 1e6;

// The whole picture in the current view, in this order: error map, actual map, generators 0..2,
// bed (with its handles when `bed_handles`), field layer, measured map, legend; each gated by its
// flag (the legend by the error map or a magnification other than 1). `monte_carlo` holds the
// per-point figures of a Monte-Carlo run of this design for the trueness and precision maps, or
// is null; `bounds` those of a bound run of this design, or null. Draws only; never clears the surface.
void PaintScene(Canvas& canvas, const DesignRecord& design, const ViewState& view, const ResultBuffer& results,
                bool bed_handles, const std::vector<MonteCarloPoint>* monte_carlo = nullptr,
                const std::vector<BoundPoint>* bounds = nullptr);

// Filled red circle 7 pixels across on the generator's window position.
void DrawGenerator(Canvas& canvas, const GeneratorRecord& generator, const ViewState& view);
// Hollow rectangle through both corner pixels with the 3-pixel teal pen; then the handles when
// `handles`.
void DrawBed(Canvas& canvas, const DesignRecord& design, const ViewState& view, bool handles);
// The eight 5 x 5 handle squares with the canvas's current pen and brush.
void DrawBedHandles(Canvas& canvas, const DesignRecord& design, const ViewState& view);
// The scan grid as 3-pixel dots (map_style 0) or grid polylines (map_style 1).
void DrawActualMap(Canvas& canvas, const DesignRecord& design, const ViewState& view);
// The measured positions of the last run, walked like the actual map; nothing unless
// results_valid. Each is drawn moved away from its true point by error_magnification times its
// error. Non-finite or far-away positions are skipped; in grid mode a skipped point breaks the
// polyline.
void DrawMeasuredMap(Canvas& canvas, const DesignRecord& design, const ViewState& view,
                     const ResultBuffer& results);

}  // namespace orvendi
