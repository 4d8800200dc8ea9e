#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/optimize.h"
#include "core/design/design_record.h"

namespace orvendi {

// A design value the Optimize Layout dialog offers, named as the Sweep dialog names it, with the
// design-file key the search varies, so that orvendi-cli's optimize over the key does the same.
struct OptimizeParameter {
  std::string name;  // "Generator 1 x (m)"
  std::string key;   // "generators[0].x"
  bool position = false;  // a generator's x or y, free by default within the visible area
};

// In the order of the dialog's rows.
const std::vector<OptimizeParameter>& OptimizeParameters();

// One row of the dialog as typed.
struct OptimizeRowEntries {
  bool chosen = false;
  std::string from;
  std::string to;
};

// The dialog's entries as typed: a row per OptimizeParameters() entry, the chosen row of
// kObjectives, the budget and the Monte-Carlo runs.
struct OptimizeEntries {
  std::vector<OptimizeRowEntries> rows;
  int objective = 0;
  std::string evaluations = "200";
  std::string runs = "10";
  std::string seed = "1";
};

// The window's largest budget, so that no typed number keeps it busy for days.
inline constexpr int kMaxWindowEvaluations = 100000;

// The positions free within [x_low, x_high] x [y_low, y_high] (the visible area), every other
// row not chosen with a range around the design's value.
OptimizeEntries DefaultOptimizeEntries(const DesignRecord& design, double x_low, double x_high, double y_low,
                                       double y_high);

// The search of the entries; empty with one message that names the entry at fault.
std::optional<OptimizeOptions> ReadOptimizeEntries(const OptimizeEntries& entries, std::string& error);

// Sets the best values the search found on `design` (the design it searched from); false when
// there are none.
bool ApplyOptimizeResult(const OptimizeOptions& options, const OptimizeResult& result, DesignRecord& design);

}  // namespace orvendi
