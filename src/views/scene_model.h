#pragma once

#include "design/design_record.h"
#include "position/scan_grid.h"
#include "views/bed_editing.h"
#include "views/generator_placement.h"
#include "views/infobar_layout.h"
#include "views/live_preview.h"
#include "views/view_state.h"

namespace orvendi {

// What the drawing area and the read-out strip show and edit: the design, how it is viewed, the
// last run's estimates, the live preview, the mouse editing in progress and the strip's layout.
struct SceneModel {
  DesignRecord design;
  ViewState view;
  ResultBuffer results;
  LivePreview live;
  GeneratorDragState drag;
  BedEditState bed_edit;
  // Set once when the strip's font has been measured (InfobarWidget::MeasureLayout).
  InfobarLayout infobar;
};

}  // namespace orvendi
