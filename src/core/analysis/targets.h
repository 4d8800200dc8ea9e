#pragma once

#include <string>

#include "core/design/design_record.h"

namespace orvendi {

// Whether the design sets a target for its largest or its RMS position error.
bool HasTargets(const DesignRecord& design);

// Whether errors of `max_error_m` and `rms_error_m` meet every target the design sets; an error
// that is not a number meets none.
bool MeetsTargets(const DesignRecord& design, double max_error_m, double rms_error_m);

// "Meets the targets (max 2 mm, RMS 1 mm)" or "Misses ..." for the result dialogs and the error
// map's legend; empty when the design sets no target.
std::string TargetsVerdict(const DesignRecord& design, double max_error_m, double rms_error_m);

}  // namespace orvendi
