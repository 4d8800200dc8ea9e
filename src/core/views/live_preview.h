#pragma once

#include "core/analysis/live_calculation.h"
#include "core/design/design_record.h"
#include "core/platform/canvas.h"
#include "core/views/bed_editing.h"
#include "core/views/generator_placement.h"
#include "core/views/view_state.h"

namespace orvendi {

struct SceneModel;

// The last live result taken, drawn in place of the last run's estimates while shown. It is
// dropped (not shown) whenever the design changes other than by the mouse edit it follows.
struct LivePreview {
  bool shown = false;
  LiveResult result;
};

// The design as it would be if the mouse edit under way ended with the pointer at (x, y): the
// generator dropped or the bed written there as a button release would. The design itself when
// no edit is under way.
DesignRecord DesignUnderEdit(const DesignRecord& design, const ViewState& view, const GeneratorDragState& drag,
                             const BedEditState& bed_edit, int x, int y);

// The design the maps are drawn from while a preview is shown: `design` with the scan the preview
// computed and its results valid. Generators and bed stay where the design has them.
DesignRecord PreviewMapDesign(const DesignRecord& design, const LivePreview& preview);

// The scene as the drawing area shows it in `view`: with the preview's estimates while one is
// shown, else with the last run's; with the last Monte-Carlo run's figures where they belong to
// the design whose maps are drawn.
void PaintShownScene(Canvas& canvas, const SceneModel& scene, const ViewState& view);

}  // namespace orvendi
