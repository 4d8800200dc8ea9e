#include "views/clipboard_copy.h"

#include "views/scene_painter.h"

namespace orvendi {

ViewState CopyFraming(const ViewState& view) {
  ViewState framed = view;
  framed.window_centre_x = kClipboardExtent / 2;
  framed.window_centre_y = kClipboardExtent / 2;
  framed.pixels_per_metre_x = 400.0;
  framed.pixels_per_metre_y = 400.0;
  framed.pixels_per_metre_z = 400.0;
  framed.view_centre_x = 0.0;
  framed.view_centre_y = 0.0;
  framed.view_centre_z = 0.0;
  return framed;
}

void PaintClipboardScene(Canvas& canvas, const SceneModel& scene) {
  PaintScene(canvas, scene.design, CopyFraming(scene.view), scene.results, scene.bed_edit.bed_handles_shown != 0,
             CurrentMonteCarloPoints(scene));
}

}  // namespace orvendi
