#pragma once

#include <QByteArray>
#include <QImage>
#include <QMimeData>

#include "core/views/scene_model.h"

namespace orvendi {

// The copied picture of the scene as SVG: viewBox "0 0 500 500", width and height "100.01mm",
// preserveAspectRatio="none" (stretches freely), no background.
QByteArray RenderSceneSvg(const SceneModel& scene);

// The same picture as a 500 x 500 image, for programs that take no SVG (white background).
QImage RenderScenePng(const SceneModel& scene);

// Clipboard data carrying "image/svg+xml" and "image/png" (and the image itself). The caller
// owns the result and hands it to the clipboard.
QMimeData* MakeClipboardMimeData(const SceneModel& scene);

}  // namespace orvendi
