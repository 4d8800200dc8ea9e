#pragma once

#include "design/design_record.h"
#include "position/scan_grid.h"
#include "views/bed_editing.h"
#include "views/view_state.h"

namespace orvendi {

// What the drawing area and the read-out strip show and edit: the design, how it is viewed, the
// last run's estimates and the state of a bed edit in progress.
struct SceneModel {
  DesignRecord design;
  ViewState view;
  ResultBuffer results;
  BedEditState bed_edit;
};

}  // namespace orvendi
