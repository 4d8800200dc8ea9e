#include "core/views/clipboard_copy.h"

#include "core/views/live_preview.h"

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
  PaintShownScene(canvas, scene, CopyFraming(scene.view));
}

}  // namespace orvendi
