#include "cli/cli_report.h"

#include <array>
#include <cmath>
#include <initializer_list>
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
                {"mean_efficiency", NumberText(summary.mean_efficiency)}}) +
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
                   {"mean_efficiency", JsonNumber(summary.mean_efficiency)}},
                              design, summary.max_error_m, summary.rms_error_m));
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
