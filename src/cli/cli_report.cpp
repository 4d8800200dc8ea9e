#include "cli/cli_report.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "core/analysis/csv_text.h"
#include "core/analysis/targets.h"
#include "core/dialogs/result_dialogs.h"

namespace orvendi {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<const char*, 3> kAxisNames = {"X", "Y", "Z"};

Json JsonNumber(double value) {
  if (std::isfinite(value)) return value;
  if (std::isnan(value)) return "nan";
  return value > 0 ? "inf" : "-inf";
}

std::string JsonText(const Json& object) { return object.dump(2) + "\n"; }

using TextLine = std::pair<std::string_view, std::string>;

std::string Lines(std::initializer_list<TextLine> lines) {
  std::string text;
  for (const auto& [name, value] : lines) text += std::string(name) + ": " + value + "\n";
  return text;
}

std::string Whole(std::int64_t value) {
  std::string text;
  AppendCsvInteger(text, value);
  return text;
}

Json PhasorsJson(const std::array<Phasor, kCoilCount>& values) {
  const std::array<std::string, kCoilCount> texts = PhasorTexts(values);
  Json list = Json::array();
  for (int k = 0; k < kCoilCount; ++k) {
    list.push_back({{"generator", k / 3},
                    {"axis", kAxisNames[k % 3]},
                    {"re", JsonNumber(values[k].real())},
                    {"im", JsonNumber(values[k].imag())},
                    {"text", texts[k]}});
  }
  return list;
}

std::string PhasorBlock(std::string_view title, const std::array<Phasor, kCoilCount>& values) {
  const std::array<std::string, kCoilCount> texts = PhasorTexts(values);
  std::string text = std::string(title) + "\n";
  for (int g = 0; g < kGeneratorCount; ++g) {
    text += "  generator " + Whole(g) + ":";
    for (int a = 0; a < 3; ++a)
      text += std::string("  ") + kAxisNames[a] + " " + texts[3 * g + a];
    text += "\n";
  }
  return text;
}

std::string TargetsLine(const DesignRecord& design, double max_error_m, double rms_error_m) {
  if (!HasTargets(design)) return {};
  return Lines({{"meets_targets", MeetsTargets(design, max_error_m, rms_error_m) ? "true" : "false"}});
}

Json WithTargets(Json object, const DesignRecord& design, double max_error_m, double rms_error_m) {
  if (HasTargets(design)) object["meets_targets"] = MeetsTargets(design, max_error_m, rms_error_m);
  return object;
}

}  // namespace

std::string CalculationText(const ErrorSummary& summary, const DesignRecord& design) {
  return Lines({{"max_error_m", NumberText(summary.max_error_m)},
                {"rms_error_m", NumberText(summary.rms_error_m)},
                {"points", Whole(summary.points)},
                {"failed_points", Whole(summary.failed_points)}}) +
         TargetsLine(design, summary.max_error_m, summary.rms_error_m);
}

std::string CalculationJson(const ErrorSummary& summary, const DesignRecord& design) {
  return JsonText(WithTargets({{"max_error_m", JsonNumber(summary.max_error_m)},
                               {"rms_error_m", JsonNumber(summary.rms_error_m)},
                               {"points", summary.points},
                               {"failed_points", summary.failed_points}},
                              design, summary.max_error_m, summary.rms_error_m));
}

std::string BoundText(const BoundSummary& summary) {
  return Lines({{"points", Whole(summary.points)},
                {"singular_points", Whole(summary.singular_points)},
                {"max_bound_m", NumberText(summary.max_bound_m)},
                {"rms_bound_m", NumberText(summary.rms_bound_m)},
                {"mean_bound_m", NumberText(summary.mean_bound_m)}});
}

std::string BoundJson(const BoundSummary& summary) {
  return JsonText({{"points", summary.points},
                   {"singular_points", summary.singular_points},
                   {"max_bound_m", JsonNumber(summary.max_bound_m)},
                   {"rms_bound_m", JsonNumber(summary.rms_bound_m)},
                   {"mean_bound_m", JsonNumber(summary.mean_bound_m)}});
}

std::string BoundPointsCsv(const std::vector<BoundPoint>& points) {
  std::string out = "first_index,second_index,true_x_m,true_y_m,true_z_m,bound_m\n";
  for (const BoundPoint& p : points) AppendCsvGridLine(out, p.first_index, p.second_index, {p.x, p.y, p.z, p.bound_m});
  return out;
}

std::string MonteCarloText(const MonteCarloSummary& summary, const DesignRecord& design) {
  return Lines({{"runs", Whole(summary.runs)},
                {"points", Whole(summary.points)},
                {"max_trueness_m", NumberText(summary.max_trueness_m)},
                {"mean_trueness_m", NumberText(summary.mean_trueness_m)},
                {"max_precision_m", NumberText(summary.max_precision_m)},
                {"mean_precision_m", NumberText(summary.mean_precision_m)},
                {"rms_error_m", NumberText(summary.rms_error_m)},
                {"p95_error_m", NumberText(summary.p95_error_m)},
                {"failed_estimates", Whole(summary.failed_estimates)},
                {"max_bound_m", NumberText(summary.max_bound_m)},
                {"rms_bound_m", NumberText(summary.rms_bound_m)},
                {"mean_efficiency", NumberText(summary.mean_efficiency)},
                {"max_error_m", NumberText(summary.max_error_m)}}) +
         TargetsLine(design, summary.max_error_m, summary.rms_error_m);
}

std::string MonteCarloJson(const MonteCarloSummary& summary, std::uint64_t seed, const DesignRecord& design) {
  return JsonText(WithTargets({{"runs", summary.runs},
                   {"seed", seed},
                   {"points", summary.points},
                   {"max_trueness_m", JsonNumber(summary.max_trueness_m)},
                   {"mean_trueness_m", JsonNumber(summary.mean_trueness_m)},
                   {"max_precision_m", JsonNumber(summary.max_precision_m)},
                   {"mean_precision_m", JsonNumber(summary.mean_precision_m)},
                   {"rms_error_m", JsonNumber(summary.rms_error_m)},
                   {"p95_error_m", JsonNumber(summary.p95_error_m)},
                   {"failed_estimates", summary.failed_estimates},
                   {"max_bound_m", JsonNumber(summary.max_bound_m)},
                   {"rms_bound_m", JsonNumber(summary.rms_bound_m)},
                   {"mean_efficiency", JsonNumber(summary.mean_efficiency)},
                   {"max_error_m", JsonNumber(summary.max_error_m)}},
                              design, summary.max_error_m, summary.rms_error_m));
}

namespace {

std::string AxisName(int axis) { return std::string(1, static_cast<char>('x' + axis)); }

double PositionOf(const std::vector<double>& positions, int plane) {
  return plane >= 0 && plane < static_cast<int>(positions.size()) ? positions[plane]
                                                                   : std::numeric_limits<double>::quiet_NaN();
}

std::string VolumeHead(int axis, const std::vector<double>& positions, int worst_plane) {
  return Lines({{"axis", AxisName(axis)},
                {"planes", Whole(static_cast<std::int64_t>(positions.size()))},
                {"worst_plane", Whole(worst_plane)},
                {"worst_plane_position_m", NumberText(PositionOf(positions, worst_plane))}});
}

Json VolumeJsonHead(int axis, const std::vector<double>& positions, int worst_plane) {
  return {{"axis", AxisName(axis)},
          {"planes", Json::array()},
          {"worst_plane", worst_plane},
          {"worst_plane_position_m", JsonNumber(PositionOf(positions, worst_plane))}};
}

// "plane 3 (z = 0.1 m): " and the figures as "name value" pairs.
std::string PlaneLine(int index, int axis, double position, std::initializer_list<TextLine> figures) {
  std::string line = "plane " + Whole(index) + " (" + AxisName(axis) + " = " + NumberText(position) + " m):";
  const char* separator = " ";
  for (const auto& [name, value] : figures) {
    line += separator + std::string(name) + " " + value;
    separator = ", ";
  }
  return line + "\n";
}

std::vector<double> Positions(const VolumeResult& volume) {
  std::vector<double> positions;
  for (const VolumePlane& plane : volume.planes) positions.push_back(plane.position_m);
  return positions;
}

}  // namespace

std::string VolumeText(const VolumeResult& volume) {
  const VolumeSummary& s = volume.summary;
  std::string text = VolumeHead(s.axis, Positions(volume), s.worst_plane) +
                     Lines({{"max_error_m", NumberText(s.max_error_m)},
                            {"rms_error_m", NumberText(s.rms_error_m)},
                            {"p95_error_m", NumberText(s.p95_error_m)},
                            {"points", Whole(s.points)},
                            {"failed_points", Whole(s.failed_points)}});
  for (std::size_t p = 0; p < volume.planes.size(); ++p) {
    const ErrorSummary& e = volume.planes[p].points.summary;
    text += PlaneLine(static_cast<int>(p), s.axis, volume.planes[p].position_m,
                      {{"max_error_m", NumberText(e.max_error_m)},
                       {"rms_error_m", NumberText(e.rms_error_m)},
                       {"failed_points", Whole(e.failed_points)}});
  }
  return text;
}

std::string VolumeJson(const VolumeResult& volume) {
  const VolumeSummary& s = volume.summary;
  Json json = VolumeJsonHead(s.axis, Positions(volume), s.worst_plane);
  for (std::size_t p = 0; p < volume.planes.size(); ++p) {
    const ErrorSummary& e = volume.planes[p].points.summary;
    json["planes"].push_back({{"index", p},
                              {"position_m", JsonNumber(volume.planes[p].position_m)},
                              {"max_error_m", JsonNumber(e.max_error_m)},
                              {"rms_error_m", JsonNumber(e.rms_error_m)},
                              {"points", e.points},
                              {"failed_points", e.failed_points}});
  }
  json["max_error_m"] = JsonNumber(s.max_error_m);
  json["rms_error_m"] = JsonNumber(s.rms_error_m);
  json["p95_error_m"] = JsonNumber(s.p95_error_m);
  json["points"] = s.points;
  json["failed_points"] = s.failed_points;
  return JsonText(json);
}

std::string BoundVolumeText(const BoundVolume& volume) {
  std::string text = VolumeHead(volume.axis, volume.positions_m, volume.worst_plane) + BoundText(volume.summary);
  for (std::size_t p = 0; p < volume.plane_summaries.size(); ++p) {
    const BoundSummary& b = volume.plane_summaries[p];
    text += PlaneLine(static_cast<int>(p), volume.axis, volume.positions_m[p],
                      {{"max_bound_m", NumberText(b.max_bound_m)},
                       {"rms_bound_m", NumberText(b.rms_bound_m)},
                       {"singular_points", Whole(b.singular_points)}});
  }
  return text;
}

std::string BoundVolumeJson(const BoundVolume& volume) {
  Json json = VolumeJsonHead(volume.axis, volume.positions_m, volume.worst_plane);
  for (std::size_t p = 0; p < volume.plane_summaries.size(); ++p) {
    Json plane = Json::parse(BoundJson(volume.plane_summaries[p]));
    plane["index"] = p;
    plane["position_m"] = JsonNumber(volume.positions_m[p]);
    json["planes"].push_back(std::move(plane));
  }
  json.update(Json::parse(BoundJson(volume.summary)));
  return JsonText(json);
}

std::string MonteCarloVolumeText(const MonteCarloVolume& volume) {
  std::string text = VolumeHead(volume.axis, volume.positions_m, volume.worst_plane) +
                     Lines({{"points", Whole(volume.points)},
                            {"max_trueness_m", NumberText(volume.max_trueness_m)},
                            {"max_precision_m", NumberText(volume.max_precision_m)},
                            {"rms_error_m", NumberText(volume.rms_error_m)},
                            {"failed_estimates", Whole(volume.failed_estimates)}});
  for (std::size_t p = 0; p < volume.planes.size(); ++p) {
    const MonteCarloSummary& m = volume.planes[p].summary;
    text += PlaneLine(static_cast<int>(p), volume.axis, volume.positions_m[p],
                      {{"max_trueness_m", NumberText(m.max_trueness_m)},
                       {"max_precision_m", NumberText(m.max_precision_m)},
                       {"rms_error_m", NumberText(m.rms_error_m)},
                       {"p95_error_m", NumberText(m.p95_error_m)},
                       {"failed_estimates", Whole(m.failed_estimates)}});
  }
  return text;
}

std::string MonteCarloVolumeJson(const MonteCarloVolume& volume, std::uint64_t seed, const DesignRecord& design) {
  Json json = VolumeJsonHead(volume.axis, volume.positions_m, volume.worst_plane);
  for (std::size_t p = 0; p < volume.planes.size(); ++p) {
    Json plane = Json::parse(MonteCarloJson(volume.planes[p].summary, seed, design));
    plane["index"] = p;
    plane["position_m"] = JsonNumber(volume.positions_m[p]);
    json["planes"].push_back(std::move(plane));
  }
  json["seed"] = seed;
  json["points"] = volume.points;
  json["max_trueness_m"] = JsonNumber(volume.max_trueness_m);
  json["max_precision_m"] = JsonNumber(volume.max_precision_m);
  json["rms_error_m"] = JsonNumber(volume.rms_error_m);
  json["failed_estimates"] = volume.failed_estimates;
  return JsonText(json);
}

std::string BedText(const DesignRecord& design) {
  return PhasorBlock("Open loop bed voltages (V)", design.bed_voltages) +
         PhasorBlock("Bed currents (A)", design.bed_currents);
}

std::string BedJson(const DesignRecord& design) {
  return JsonText(
      {{"voltages_v", PhasorsJson(design.bed_voltages)}, {"currents_a", PhasorsJson(design.bed_currents)}});
}

}  // namespace orvendi
