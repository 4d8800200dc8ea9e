#include "core/views/report_html.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "core/analysis/csv_text.h"
#include "core/analysis/targets.h"
#include "core/design/json_text.h"
#include "core/views/clipboard_copy.h"
#include "core/views/plot_scale.h"
#include "core/views/report_plot.h"
#include "core/views/scene_painter.h"
#include "core/views/stored_view.h"
#include "core/views/svg_canvas.h"

namespace orvendi {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kPlotWidth = 640;
constexpr int kPlotHeight = 300;
constexpr Rgb kMaxColour{200, 40, 40};
constexpr Rgb kRmsColour{30, 90, 200};

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:24px;color:#111;max-width:1000px}"
    "h1{font-size:22px}h2{font-size:17px;margin-top:28px;border-bottom:1px solid #ccc}"
    "table{border-collapse:collapse;font-size:13px}td,th{border:1px solid #ccc;padding:2px 8px;text-align:left}"
    "td.n{text-align:right;font-family:monospace}figure{margin:8px 0}"
    "figcaption{font-size:12px;color:#444}.keys{columns:2;column-gap:24px}"
    "p.note{font-size:12px;color:#444}"
    "@media print{h2{break-after:avoid}figure{break-inside:avoid}}";

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

constexpr const char* kMeetsRow = "Meets the targets";
constexpr const char* kNoFigure = "none";
constexpr const char* kInfinite = "infinite";

std::string Figure(double value, const std::string& finite) {
  if (std::isnan(value)) return kNoFigure;
  if (std::isinf(value)) return kInfinite;
  return finite;
}

std::string Millimetres(double metres) { return Figure(metres, SignificantText(metres * 1000.0, 4)); }

std::string Ratio(double value) { return Figure(value, SignificantText(value, 4)); }

// A set value as the decimal it was meant to be: a plane at 0.3 rather than the 0.30000000000000004
// its sum from the scan's start gives.
std::string Decimal(double value) {
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
  return Figure(value, std::string(buffer, result.ptr));
}

void AddVerdict(std::vector<ReportRow>& rows, const DesignRecord& design, double max_error_m,
                double rms_error_m) {
  if (HasTargets(design))
    rows.emplace_back(kMeetsRow, MeetsTargets(design, max_error_m, rms_error_m) ? "yes" : "no");
}

using Row = ReportRow;

std::string FigureTable(const std::vector<ReportRow>& rows) {
  std::string html = "<table>\n";
  for (const auto& [name, value] : rows)
    html += "<tr><th>" + EscapeMarkup(name) + "</th><td class=\"n\">" + EscapeMarkup(value) + "</td></tr>\n";
  return html + "</table>\n";
}

std::string Whole(std::int64_t value) { return std::to_string(value); }

void Flatten(const Json& value, const std::string& path, std::vector<Row>& rows) {
  if (value.is_object()) {
    for (const auto& [key, child] : value.items()) Flatten(child, JoinKeyPath(path, key), rows);
  } else if (value.is_array()) {
    for (std::size_t i = 0; i < value.size(); ++i) Flatten(value[i], JoinKeyPath(path, i), rows);
  } else if (value.is_string()) {
    rows.emplace_back(path, value.get<std::string>());
  } else if (value.is_number_float()) {
    rows.emplace_back(path, NumberText(value.get<double>()));
  } else {
    rows.emplace_back(path, value.dump());
  }
}

std::string KeysSection(const ReportInputs& inputs) {
  std::string html = "<h2>Design</h2>\n<div class=\"keys\"><table>\n<tr><th>Key</th><th>Value</th><th>Unit</th></tr>\n";
  for (const auto& [key, value] : ReportKeys(inputs)) {
    html += "<tr><td>" + EscapeMarkup(key) + "</td><td class=\"n\">" + EscapeMarkup(value) + "</td><td>" +
            EscapeMarkup(DesignKeyUnit(key)) + "</td></tr>\n";
  }
  return html + "</table></div>\n";
}

// The plane the scan lies in, seen straight on, with the error map and its legend.
std::string PictureSection(const ReportInputs& inputs) {
  SvgCanvas canvas(kClipboardExtent, kClipboardExtent);
  {
    ScopedPen pen(canvas, Pen{1, kBlack, true});
    canvas.Rectangle(0, 0, kClipboardExtent, kClipboardExtent);
  }
  PaintReportPicture(canvas, inputs);
  return "<h2>Picture</h2>\n<figure>" + canvas.Svg() + "<figcaption>" + EscapeMarkup(ReportPictureCaption(inputs)) +
         "</figcaption></figure>\n";
}

std::string PlotFigure(const LinePlot& plot, std::string_view caption) {
  SvgCanvas canvas(kPlotWidth, kPlotHeight);
  PaintLinePlot(canvas, plot, kPlotWidth, kPlotHeight);
  return "<figure>" + canvas.Svg() + "<figcaption>" + EscapeMarkup(caption) + "</figcaption></figure>\n";
}

std::vector<ReportRow> CalculationRows(const ErrorSummary& s) {
  return {{"Max error (mm)", Millimetres(s.max_error_m)},
          {"RMS error (mm)", Millimetres(s.rms_error_m)},
          {"Points", Whole(s.points)},
          {"Failed points", Whole(s.failed_points)}};
}

LinePlot DistributionPlot(const PointResults& points) {
  std::vector<double> errors;
  for (const PointResult& row : points.rows)
    if (!std::isnan(row.error_m)) errors.push_back(row.error_m * 1000.0);
  std::sort(errors.begin(), errors.end());
  PlotSeries series{"error", kRmsColour, {}, errors};
  for (std::size_t i = 0; i < errors.size(); ++i)
    series.xs.push_back(100.0 * static_cast<double>(i + 1) / static_cast<double>(points.rows.size()));
  return {"Error distribution", "share of points (%)", "error (mm)", {series}};
}

std::vector<ReportRow> MonteCarloRows(const MonteCarloSummary& s, std::uint64_t seed) {
  return {{"Runs", Whole(s.runs)},
          {"Seed", std::to_string(seed)},
          {"Max trueness (mm)", Millimetres(s.max_trueness_m)},
          {"Mean trueness (mm)", Millimetres(s.mean_trueness_m)},
          {"Max precision (mm)", Millimetres(s.max_precision_m)},
          {"Mean precision (mm)", Millimetres(s.mean_precision_m)},
          {"Max error (mm)", Millimetres(s.max_error_m)},
          {"RMS error (mm)", Millimetres(s.rms_error_m)},
          {"95th percentile error (mm)", Millimetres(s.p95_error_m)},
          {"Failed estimates", Whole(s.failed_estimates)},
          {"Mean efficiency", Ratio(s.mean_efficiency)}};
}

std::vector<ReportRow> BoundRows(const BoundSummary& s) {
  return {{"Points", Whole(s.points)},
          {"Singular points", Whole(s.singular_points)},
          {"Max bound (mm)", Millimetres(s.max_bound_m)},
          {"RMS bound (mm)", Millimetres(s.rms_bound_m)},
          {"Mean bound (mm)", Millimetres(s.mean_bound_m)}};
}

std::string AxisName(const VolumeResult& volume) { return std::string(1, static_cast<char>('x' + volume.summary.axis)); }

std::vector<ReportRow> VolumeRows(const VolumeResult& volume) {
  const VolumeSummary& s = volume.summary;
  const std::string axis = AxisName(volume);
  const double worst = s.worst_plane >= 0 ? volume.planes[s.worst_plane].position_m : std::nan("");
  return {{"Planes along " + axis, Whole(s.planes)},
          {"Worst plane (" + axis + ", m)", Decimal(worst)},
          {"Max error (mm)", Millimetres(s.max_error_m)},
          {"RMS error (mm)", Millimetres(s.rms_error_m)},
          {"95th percentile error (mm)", Millimetres(s.p95_error_m)},
          {"Points", Whole(s.points)},
          {"Failed points", Whole(s.failed_points)}};
}

std::string VolumeTable(const VolumeResult& volume) {
  std::string html = "<table>\n<tr><th>Plane</th><th>" + AxisName(volume) +
                     " (m)</th><th>Max error (mm)</th><th>RMS error (mm)</th><th>Failed points</th></tr>\n";
  for (std::size_t p = 0; p < volume.planes.size(); ++p) {
    const VolumePlane& plane = volume.planes[p];
    const ErrorSummary& e = plane.points.summary;
    html += "<tr><td class=\"n\">" + Whole(static_cast<std::int64_t>(p)) + "</td><td class=\"n\">" +
            EscapeMarkup(Decimal(plane.position_m)) + "</td><td class=\"n\">" +
            EscapeMarkup(Millimetres(e.max_error_m)) + "</td><td class=\"n\">" +
            EscapeMarkup(Millimetres(e.rms_error_m)) + "</td><td class=\"n\">" + Whole(e.failed_points) +
            "</td></tr>\n";
  }
  return html + "</table>\n";
}

LinePlot VolumePlot(const VolumeResult& volume) {
  PlotSeries max{"max", kMaxColour, {}, {}};
  PlotSeries rms{"RMS", kRmsColour, {}, {}};
  for (const VolumePlane& plane : volume.planes) {
    max.xs.push_back(plane.position_m);
    max.ys.push_back(plane.points.summary.max_error_m * 1000.0);
    rms.xs.push_back(plane.position_m);
    rms.ys.push_back(plane.points.summary.rms_error_m * 1000.0);
  }
  return {"Error against plane position", AxisName(volume) + " (m)", "error (mm)", {max, rms}};
}

bool ShowsCell(const std::string& html, std::string_view value) {
  return html.find("\"n\">" + std::string(value) + "</td>") != std::string::npos;
}

std::string Section(const ReportSection& section, const ReportInputs& inputs) {
  std::string html = "<h2>" + EscapeMarkup(section.title) + "</h2>\n" + FigureTable(section.rows);
  if (section.title == "Volume" && inputs.volume != nullptr) html += VolumeTable(*inputs.volume);
  if (ShowsCell(html, kNoFigure) || ShowsCell(html, kInfinite))
    html +=
        "<p class=\"note\">none: nothing was counted for this figure. infinite: a point without an estimate "
        "counts as infinitely far off.</p>\n";
  for (std::size_t i = 0; i < section.plots.size(); ++i) html += PlotFigure(section.plots[i], section.captions[i]);
  return html;
}

// The targets and, for each run judged against them, whether it meets them; empty without targets.
std::string TargetsSection(const ReportInputs& inputs, const std::vector<ReportSection>& sections) {
  if (!HasTargets(inputs.design)) return {};
  std::vector<ReportRow> rows;
  if (inputs.design.target_max_error_m != 0.0)
    rows.emplace_back("Max error target (mm)", Decimal(inputs.design.target_max_error_m * 1000.0));
  if (inputs.design.target_rms_error_m != 0.0)
    rows.emplace_back("RMS error target (mm)", Decimal(inputs.design.target_rms_error_m * 1000.0));
  for (const ReportSection& section : sections)
    for (const auto& [name, value] : section.rows)
      if (name == kMeetsRow) rows.emplace_back(section.title + " meets them", value);
  return "<h2>Targets</h2>\n" + FigureTable(rows);
}

}  // namespace

LinePlot VolumeErrorPlot(const VolumeResult& volume) { return VolumePlot(volume); }

std::string ReportPictureCaption(const ReportInputs& inputs) {
  static constexpr const char* kViews[] = {"Plan (XY)", "Side (YZ)", "Front (ZX)"};
  return std::string(kViews[std::clamp(inputs.design.scan_plane, 0, 2)]) +
         " view, 1.25 m across; the error map colours each cell by the mean error of its corners.";
}

std::string DesignKeyUnit(std::string_view key) {
  const std::size_t dot = key.find_last_of('.');
  const std::string_view name = dot == std::string_view::npos ? key : key.substr(dot + 1);
  struct Suffix {
    std::string_view end;
    std::string_view unit;
  };
  static constexpr Suffix kSuffixes[] = {
      {"_v_per_t", "V/T"}, {"_ohms_per_square", "\xCE\xA9/sq"}, {"_ohms_per_m", "\xCE\xA9/m"},
      {"_m2", "m\xC2\xB2"}, {"_hz", "Hz"}, {"_rad", "rad"}, {"_a", "A"}, {"_v", "V"}, {"_m", "m"},
      {"_percent", "%"},
  };
  for (const Suffix& s : kSuffixes)
    if (EndsWith(name, s.end)) return std::string(s.unit);
  if (name == "scan_plane" || name.find("cells") != std::string_view::npos) return "";
  // Positions and scan ranges carry no suffix of their own.
  if (name == "x" || name == "y" || name == "z" || name.starts_with("scan_") || name.starts_with("bed_x") ||
      name.starts_with("bed_y") || name.starts_with("bed_z") || name.starts_with("view_centre_"))
    return "m";
  return "";
}

ReportInputs SceneReport(const SceneModel& scene, const std::string& title, PointResults& points,
                         const VolumeResult* volume) {
  ReportInputs inputs;
  inputs.title = title;
  inputs.design = scene.design;
  inputs.view = StoreView(scene.view);
  if (scene.design.results_valid != 0) {
    points = CollectPointResults(scene.design, scene.results);
    inputs.results = &scene.results;
    inputs.calculation = &points;
  }
  if (const MonteCarloRecord* record = CurrentMonteCarlo(scene)) {
    inputs.monte_carlo = &record->result;
    inputs.monte_carlo_seed = record->options.seed;
  }
  inputs.volume = volume;
  return inputs;
}

std::vector<ReportSection> ReportSections(const ReportInputs& inputs) {
  std::vector<ReportSection> sections;
  const DesignRecord& design = inputs.design;
  if (inputs.calculation != nullptr) {
    const ErrorSummary& s = inputs.calculation->summary;
    sections.push_back({"Calculation", CalculationRows(s), {DistributionPlot(*inputs.calculation)},
                        {"Each point's error, smallest first; failed points are left out."}});
    AddVerdict(sections.back().rows, design, s.max_error_m, s.rms_error_m);
  }
  if (inputs.volume != nullptr) {
    const VolumeSummary& s = inputs.volume->summary;
    sections.push_back({"Volume", VolumeRows(*inputs.volume), {VolumePlot(*inputs.volume)},
                        {"Max and RMS error of each plane; a plane with a failed point has no finite figure and "
                         "breaks the line."}});
    AddVerdict(sections.back().rows, design, s.max_error_m, s.rms_error_m);
  }
  if (inputs.monte_carlo != nullptr) {
    const MonteCarloSummary& s = inputs.monte_carlo->summary;
    sections.push_back({"Monte-Carlo", MonteCarloRows(s, inputs.monte_carlo_seed), {}, {}});
    AddVerdict(sections.back().rows, design, s.max_error_m, s.rms_error_m);
  }
  if (inputs.bound != nullptr) sections.push_back({"Precision bound", BoundRows(*inputs.bound), {}, {}});
  return sections;
}

std::vector<ReportRow> ReportKeys(const ReportInputs& inputs) {
  std::vector<ReportRow> rows;
  Flatten(Json::parse(WriteDesignJson(inputs.design, inputs.view)), "", rows);
  std::erase_if(rows, [](const ReportRow& row) { return row.first == "format" || row.first == "version"; });
  return rows;
}

void PaintReportPicture(Canvas& canvas, const ReportInputs& inputs) {
  DesignRecord design = inputs.design;
  design.show_error_map = 1;
  design.error_map_quantity = kErrorMapError;
  ViewState view;
  view.current_view = design.scan_plane == 0 ? 0 : design.scan_plane == 1 ? 2 : 1;
  view.drawing_width = kClipboardExtent;
  view.drawing_height = kClipboardExtent;
  view.scale_percent = 100;
  const ResultBuffer empty;
  PaintScene(canvas, design, CopyFraming(view), inputs.results != nullptr ? *inputs.results : empty, false);
}

std::string ReportHtml(const ReportInputs& inputs) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
      EscapeMarkup("Orvendi report: " + inputs.title) + "</title>\n<style>" + kStyle +
      "</style>\n</head>\n<body>\n<h1>" + EscapeMarkup("Orvendi report: " + inputs.title) + "</h1>\n";
  const std::vector<ReportSection> sections = ReportSections(inputs);
  html += TargetsSection(inputs, sections);
  html += PictureSection(inputs);
  for (const ReportSection& section : sections) html += Section(section, inputs);
  html += KeysSection(inputs);
  return html + "</body>\n</html>\n";
}

}  // namespace orvendi
