#pragma once

#include "design/design_record.h"
#include "position/calculation.h"
#include "position/scan_grid.h"
#include "views/bed_editing.h"
#include "views/view_state.h"

namespace orvendi {

// Everything the program works on, one instance for its whole run, owned by the main window.
// The read-out strip's layout lives in view.infobar.
struct AppState {
  DesignRecord design;
  ViewState view;
  ResultBuffer results;
  CalculationWork work;
  BedEditState bed_edit;
};

}  // namespace orvendi
