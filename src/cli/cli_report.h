#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/point_results.h"
#include "core/analysis/volume.h"
#include "core/design/design_record.h"
#include "core/position/precision_bound.h"

namespace orvendi {

// What orvendi-cli prints and writes. Numbers are the shortest text that reads back to the same
// double, with '.' whatever the locale. In JSON an infinity or not-a-number is the string "inf",
// "-inf" or "nan" (JSON has no number for them), as in a design file.

// "max_error_m: ...", "rms_error_m: ...", "points: ...", "failed_points: ...", a line each, and
// "meets_targets: true|false" when the design sets a target.
std::string CalculationText(const ErrorSummary& summary, const DesignRecord& design);
// {"max_error_m", "rms_error_m", "points", "failed_points"[, "meets_targets"]}.
std::string CalculationJson(const ErrorSummary& summary, const DesignRecord& design);

// "points: ...", "singular_points: ...", "max_bound_m: ...", "rms_bound_m: ...", "mean_bound_m: ...".
std::string BoundText(const BoundSummary& summary);
// {"points", "singular_points", "max_bound_m", "rms_bound_m", "mean_bound_m"}.
std::string BoundJson(const BoundSummary& summary);
// first_index,second_index,true_x_m,true_y_m,true_z_m,bound_m: a row per grid point.
std::string BoundPointsCsv(const std::vector<BoundPoint>& points);

// A line each for the summary's figures, named as in the JSON; with a target set, whether the
// largest error of any run and the RMS error meet the targets.
std::string MonteCarloText(const MonteCarloSummary& summary, const DesignRecord& design);
// {"runs", "seed", "points", "max_trueness_m", "mean_trueness_m", "max_precision_m",
//  "mean_precision_m", "rms_error_m", "p95_error_m", "failed_estimates", "max_bound_m",
//  "rms_bound_m", "mean_efficiency", "max_error_m"[, "meets_targets"]}.
std::string MonteCarloJson(const MonteCarloSummary& summary, std::uint64_t seed, const DesignRecord& design);

// The volume's figures as "name: value" lines (axis, planes, worst_plane and its position, then
// the whole's figures), then a line per plane.
std::string VolumeText(const VolumeResult& volume);
// {"axis", "planes": [{"index", "position_m", "max_error_m", "rms_error_m", "points",
//  "failed_points"}, ...], "worst_plane", "worst_plane_position_m", "max_error_m", "rms_error_m",
//  "p95_error_m", "points", "failed_points"}.
std::string VolumeJson(const VolumeResult& volume);
// The same for the bound and the Monte-Carlo runs through a volume: the whole's figures (named as
// on one plane) and a plane list with each plane's figures.
std::string BoundVolumeText(const BoundVolume& volume);
std::string BoundVolumeJson(const BoundVolume& volume);
std::string MonteCarloVolumeText(const MonteCarloVolume& volume);
std::string MonteCarloVolumeJson(const MonteCarloVolume& volume, std::uint64_t seed, const DesignRecord& design);

// The stored bed voltages and currents laid out as the two bed dialogs show them: per
// generator the X, Y and Z coil, each phasor in the dialogs' text.
std::string BedText(const DesignRecord& design);
// {"voltages_v": [...], "currents_a": [...]}, nine objects each in coil order with
// "generator", "axis", "re", "im" and the dialogs' "text".
std::string BedJson(const DesignRecord& design);

}  // namespace orvendi
