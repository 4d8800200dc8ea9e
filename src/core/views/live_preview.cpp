#include "core/views/live_preview.h"

#include "core/platform/host.h"
#include "core/views/scene_model.h"
#include "core/views/scene_painter.h"

namespace orvendi {

DesignRecord DesignUnderEdit(const DesignRecord& design, const ViewState& view, const GeneratorDragState& drag,
                             const BedEditState& bed_edit, int x, int y) {
  // The release handlers themselves, on copies: a preview at the drop point is the dropped design.
  DesignRecord edited = design;
  GeneratorDragState drag_copy = drag;
  BedEditState bed_copy = bed_edit;
  NullHost host;
  DropGenerator(x, y, edited, view, drag_copy, host);
  BedButtonUp(x, y, edited, view, bed_copy, host);
  return edited;
}

DesignRecord PreviewMapDesign(const DesignRecord& design, const LivePreview& preview) {
  const DesignRecord& computed = preview.result.design;
  DesignRecord shown = design;
  shown.scan_x_from = computed.scan_x_from;
  shown.scan_x_to = computed.scan_x_to;
  shown.scan_x_step = computed.scan_x_step;
  shown.scan_y_from = computed.scan_y_from;
  shown.scan_y_to = computed.scan_y_to;
  shown.scan_y_step = computed.scan_y_step;
  shown.scan_z_from = computed.scan_z_from;
  shown.scan_z_to = computed.scan_z_to;
  shown.scan_z_step = computed.scan_z_step;
  shown.scan_plane = computed.scan_plane;
  shown.scan_plane_x = computed.scan_plane_x;
  shown.scan_plane_y = computed.scan_plane_y;
  shown.scan_plane_z = computed.scan_plane_z;
  shown.results_valid = 1;
  return shown;
}

void PaintShownScene(Canvas& canvas, const SceneModel& scene, const ViewState& view) {
  const bool handles = scene.bed_edit.bed_handles_shown != 0;
  if (!scene.live.shown) {
    PaintScene(canvas, scene.design, view, scene.results, handles, CurrentMonteCarloPoints(scene),
               BoundPointsFor(scene, scene.design));
    return;
  }
  // Monte-Carlo figures and bounds count only for the very design the preview computed.
  const MonteCarloRecord& monte_carlo = scene.monte_carlo;
  const bool same = monte_carlo.present && SameSimulationInputs(monte_carlo.design, scene.live.result.design);
  PaintScene(canvas, PreviewMapDesign(scene.design, scene.live), view, scene.live.result.results, handles,
             same ? &monte_carlo.result.points : nullptr, BoundPointsFor(scene, scene.live.result.design));
}

}  // namespace orvendi
