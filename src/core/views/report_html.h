#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/point_results.h"
#include "core/analysis/volume.h"
#include "core/design/design_file.h"
#include "core/design/design_record.h"
#include "core/position/precision_bound.h"
#include "core/platform/canvas.h"
#include "core/position/scan_grid.h"
#include "core/views/report_plot.h"
#include "core/views/scene_model.h"

namespace orvendi {

// What a report shows; each run it points to is of this very design, null where not run.
struct ReportInputs {
  std::string title;  // the design's name, shown as text
  DesignRecord design;
  StoredView view;
  const ResultBuffer* results = nullptr;  // the calculation's estimates, for the picture
  const PointResults* calculation = nullptr;
  const MonteCarloResult* monte_carlo = nullptr;
  std::uint64_t monte_carlo_seed = kDefaultMonteCarloSeed;
  const BoundSummary* bound = nullptr;
  const VolumeResult* volume = nullptr;
};

using ReportRow = std::pair<std::string, std::string>;

// A part of the report after the picture: its figures as (name, value) rows and its plots.
struct ReportSection {
  std::string title;
  std::vector<ReportRow> rows;
  std::vector<LinePlot> plots;
  std::vector<std::string> captions;  // one per plot
};

// The sections of the runs the inputs hold: calculation, volume, Monte-Carlo, bound.
std::vector<ReportSection> ReportSections(const ReportInputs& inputs);
// Every key of the design file (key paths such as "generators[1].x") with its value as text.
std::vector<ReportRow> ReportKeys(const ReportInputs& inputs);
// The plane of the scan seen straight on, with the error map, framed kClipboardExtent square.
void PaintReportPicture(Canvas& canvas, const ReportInputs& inputs);
std::string ReportPictureCaption(const ReportInputs& inputs);
// The max and RMS error of each plane against its position, in mm.
LinePlot VolumeErrorPlot(const VolumeResult& volume);

// The unit of a design file's key from its name ("m", "Hz", "V/T", ...), empty for a count, flag
// or choice.
std::string DesignKeyUnit(std::string_view key);

// The report of what the window shows: its design and view, the last run while its results are
// valid (per-point results kept in `points`), the Monte-Carlo record while it is current and
// `volume`, when given.
ReportInputs SceneReport(const SceneModel& scene, const std::string& title, PointResults& points,
                         const VolumeResult* volume);

// One self-contained HTML page: no scripts, no files or addresses it loads; every text escaped.
// The picture and the plots are inline SVG drawn through the canvas.
std::string ReportHtml(const ReportInputs& inputs);

}  // namespace orvendi
