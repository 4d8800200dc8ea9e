#pragma once

#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/design/design_record.h"
#include "core/position/precision_bound.h"
#include "core/position/scan_grid.h"
#include "core/views/bed_editing.h"
#include "core/views/generator_placement.h"
#include "core/views/infobar_layout.h"
#include "core/views/live_preview.h"
#include "core/views/view_state.h"

namespace orvendi {

// The last Monte-Carlo run made in the window and the design it ran on, so that its figures are
// shown only while the design still computes the same.
struct MonteCarloRecord {
  bool present = false;
  DesignRecord design;
  MonteCarloOptions options;
  MonteCarloResult result;
};

// The last precision-bound run made in the window and the design it ran on.
struct BoundRecord {
  bool present = false;
  DesignRecord design;
  std::vector<BoundPoint> points;
};

// What the drawing area and the read-out strip show and edit: the design, how it is viewed, the
// last run's estimates, the live preview, the last Monte-Carlo run, the mouse editing in progress
// and the strip's layout.
struct SceneModel {
  DesignRecord design;
  ViewState view;
  ResultBuffer results;
  LivePreview live;
  MonteCarloRecord monte_carlo;
  BoundRecord bound;
  GeneratorDragState drag;
  BedEditState bed_edit;
  // Set once when the strip's font has been measured (InfobarWidget::MeasureLayout).
  InfobarLayout infobar;
};

// The Monte-Carlo record when it belongs to the scene's design as it is now, else null.
const MonteCarloRecord* CurrentMonteCarlo(const SceneModel& scene);
// Its per-point figures, as PaintScene takes them; null when there is no current record.
const std::vector<MonteCarloPoint>* CurrentMonteCarloPoints(const SceneModel& scene);
// The points of the bound record when it belongs to `design`, else null.
const std::vector<BoundPoint>* BoundPointsFor(const SceneModel& scene, const DesignRecord& design);

}  // namespace orvendi
