#pragma once

#include <QByteArray>
#include <QImage>
#include <QMimeData>

#include <vector>

#include "analysis/monte_carlo.h"
#include "design/design_record.h"
#include "position/scan_grid.h"
#include "views/view_state.h"

namespace orvendi {

// The copied picture as SVG: viewBox "0 0 500 500", width and height "100.01mm",
// preserveAspectRatio="none" (stretches freely), no background.
QByteArray RenderSceneSvg(const DesignRecord& design, const ViewState& view, const ResultBuffer& results,
                          const std::vector<MonteCarloPoint>* monte_carlo = nullptr);

// The same picture as a 500 x 500 image, for programs that take no SVG (white background).
QImage RenderScenePng(const DesignRecord& design, const ViewState& view, const ResultBuffer& results,
                      const std::vector<MonteCarloPoint>* monte_carlo = nullptr);

// Clipboard data carrying "image/svg+xml" and "image/png" (and the image itself). The caller
// owns the result and hands it to the clipboard.
QMimeData* MakeClipboardMimeData(const DesignRecord& design, const ViewState& view,
                                 const ResultBuffer& results,
                                 const std::vector<MonteCarloPoint>* monte_carlo = nullptr);

}  // namespace orvendi
