#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/sweep.h"

namespace orvendi {

// Sets the values of row `row` (given in `values`) on `design` at once; false with a message that
// names the row when the setter refuses them.
bool ApplySweepRow(DesignRecord& design, const std::vector<SweepAxis>& axes, std::int64_t row,
                   const std::vector<double>& values, const DesignRowSetter& setter, std::string& error);

// Finds the first row of the sweep whose values the setter refuses (-1 when none is), as trying
// every row in order would, but axis by axis: an axis of no check group is tried one value at a
// time on the base, the axes of one group in every combination of their values only. False when
// `progress` asked to stop.
bool FindFirstRefusedSweepRow(const DesignRecord& base, const SweepOptions& options,
                              const DesignRowSetter& setter, Progress& progress, std::int64_t& first);

}  // namespace orvendi
