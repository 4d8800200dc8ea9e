#pragma once

#include "core/platform/canvas.h"
#include "core/views/scene_model.h"
#include "core/views/view_state.h"

namespace orvendi {

// The copied picture: 500 x 500 logical units (one per pixel of the fixed framing), suggested
// size 100.01 mm square, stretched freely.
inline constexpr int kClipboardExtent = 500;
inline constexpr double kClipboardSizeMm = 100.01;

// The view as the copy frames it: window centre (250, 250), 400 px/m on every axis, view centre
// at the origin; view, sizes, scroll positions and everything else as in `view`.
ViewState CopyFraming(const ViewState& view);

// The scene as the drawing area paints it, with the copy's framing. The scene is not touched.
void PaintClipboardScene(Canvas& canvas, const SceneModel& scene);

}  // namespace orvendi
