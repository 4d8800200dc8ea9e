#include "cli/cli_field.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/cli_options.h"
#include "cli/progress_bar.h"
#include "core/analysis/csv_text.h"
#include "core/design/design_file.h"
#include "core/design/number_text.h"
#include "core/field/bed_model.h"

namespace orvendi {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kAxisNames[] = {"x", "y", "z"};

Json JsonNumber(double value) {
  if (std::isfinite(value)) return value;
  if (std::isnan(value)) return "nan";
  return value > 0 ? "inf" : "-inf";
}

Json JsonVector(const Vector3& v) { return Json::array({JsonNumber(v.x), JsonNumber(v.y), JsonNumber(v.z)}); }

std::string TextVector(const Vector3& v) {
  return NumberText(v.x) + ", " + NumberText(v.y) + ", " + NumberText(v.z);
}

// Three finite numbers separated by commas.
std::optional<Vector3> ParsePoint(const std::string& text, std::string& error) {
  double values[3];
  std::size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t comma = i < 2 ? text.find(',', start) : text.size();
    std::string number_error;
    if (comma == std::string::npos || !ReadWholeDouble(std::string_view(text).substr(start, comma - start),
                                                       values[i], number_error) ||
        !std::isfinite(values[i]) || (i == 2 && text.find(',', start) != std::string::npos)) {
      error = "--at: \"" + text + "\" is not three finite numbers X,Y,Z";
      return std::nullopt;
    }
    start = comma + 1;
  }
  return Vector3{values[0], values[1], values[2]};
}

}  // namespace

std::string FieldText(const Vector3& point, const std::array<CoilProbe, kCoilCount>& probes) {
  std::string text = "point: " + TextVector(point) + "\n";
  for (int k = 0; k < kCoilCount; ++k) {
    const CoilProbe& p = probes[static_cast<std::size_t>(k)];
    text += "generator " + NumberText(k / 3) + " " + kAxisNames[k % 3] + ": coil " + TextVector(p.coil) +
            "  bed re " + TextVector(p.bed.re) + "  bed im " + TextVector(p.bed.im) + "\n";
  }
  return text;
}

std::string FieldJson(const Vector3& point, const std::array<CoilProbe, kCoilCount>& probes) {
  Json coils = Json::array();
  for (int k = 0; k < kCoilCount; ++k) {
    const CoilProbe& p = probes[static_cast<std::size_t>(k)];
    coils.push_back({{"index", k},
                     {"generator", k / 3},
                     {"axis", kAxisNames[k % 3]},
                     {"coil", JsonVector(p.coil)},
                     {"bed_re", JsonVector(p.bed.re)},
                     {"bed_im", JsonVector(p.bed.im)}});
  }
  return Json{{"point", JsonVector(point)}, {"coils", coils}}.dump(2) + "\n";
}

int CliField(const FieldArgs& args, CliProgress& progress, const Console& console) {
  std::string error;
  const std::optional<Vector3> point = ParseThreadsOption(args.threads, error) ? ParsePoint(args.at, error)
                                                                              : std::nullopt;
  if (!point) {
    Complain(console, error);
    return kExitUsage;
  }
  DesignRecord design;
  StoredView view;
  if (!ReadDesignFile(args.file, design, view, error)) {
    Complain(console, error);
    return kExitUsage;
  }
  if (!RefreshBedModel(design, progress)) {
    progress.Finish();
    Complain(console, "interrupted");
    return kExitInterrupted;
  }
  progress.Finish();
  const auto probes = ProbeField(design, *point);
  return console.out(args.json ? FieldJson(*point, probes) : FieldText(*point, probes)) ? kExitOk : kExitFailed;
}

}  // namespace orvendi
