#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/analysis/sweep.h"
#include "core/design/design_record.h"
#include "core/position/accuracy.h"
#include "core/platform/progress.h"
#include "core/position/calculation.h"
#include "support/default_design.h"

namespace orvendi::testing {

inline bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Stands in for the design-file module's setter: a few keys, with the bed marked stale where the
// frequency dialog would mark it.
inline bool SetTestValue(DesignRecord& design, std::string_view key, double value, std::string& error) {
  if (key == "frequency_hz") {
    if (!(value > 0.0)) {
      error = "frequency_hz must be above 0";
      return false;
    }
    design.frequency_hz = value;
    design.bed_stale = 1;
  } else if (key == "noise_peak_v") {
    design.noise_peak_v = value;
  } else if (key == "generators[1].x") {
    GeneratorRecord& g = design.generators[1];
    SetGeneratorPosition(g, value, g.y, g.z);
  } else {
    error = "unknown key \"" + std::string(key) + "\"";
    return false;
  }
  return true;
}

// A row of `points` grid points along x at y = 0, z = 0.4, 0.1 m apart, marked as computed.
inline DesignRecord RowDesign(int points) {
  DesignRecord design = DefaultDesign();
  design.scan_x_from = 0.0;
  design.scan_x_to = 0.1 * (points - 1);
  design.scan_x_step = 0.1;
  design.scan_y_from = design.scan_y_to = 0.0;
  design.results_valid = 1;
  return design;
}

// The measured position of point i of a RowDesign.
inline void Put(ResultBuffer& results, int i, double x, double y, double z) {
  double* slot = results.Slot(i, 0);
  slot[0] = x;
  slot[1] = y;
  slot[2] = z;
}

// A fresh program's "Calculate" followed by "Positional Error...".
struct SingleRun {
  DesignRecord design;
  ResultBuffer results;
};
inline SingleRun CalculateOnce(const DesignRecord& design) {
  SingleRun run{design, {}};
  CalculationWork work;
  NoProgress progress;
  CalculateCommand(run.design, run.results, work, progress);
  ComputePositionAccuracy(run.design, run.results);
  return run;
}

// A sweep's whole CSV text through SetTestValue, or "failed: " and the reason.
inline std::string SweepText(const DesignRecord& base, const SweepOptions& options,
                             std::string* error = nullptr, Progress* progress = nullptr) {
  std::string text, reason;
  NoProgress quiet;
  const AnalysisStatus status = RunSweepCsv(
      base, options, SetTestValue, progress != nullptr ? *progress : quiet,
      [&text](std::string_view piece, std::string&) {
        text += piece;
        return true;
      },
      reason);
  if (error != nullptr) *error = reason;
  return status == AnalysisStatus::kDone ? text : "failed: " + reason;
}

}  // namespace orvendi::testing
