#pragma once

#include <functional>
#include <memory>

#include "core/design/design_record.h"

namespace orvendi {

struct EddySheet;

// The bed model for bed_model 1: solves the eddy-current sheet for the design's generators,
// frequency and bed and keeps it where CachedSheet and SheetFor find it. The bed voltages are the
// open-loop phasors around the outline, j omega times each coil's flux through the whole bed; the
// bed currents are each coil's largest mesh current, the current circulating round that cell
// between it and the outline. A sheet that cannot be solved (no cells, too many) gives zero
// phasors. Returns false, leaving the stored results as they were, when progress (share done)
// returns false.
bool ComputeSheetBedModel(DesignRecord& design, const std::function<bool(double)>& progress);

// The solved sheet for the design's present inputs: the design record stays plain data, so the
// sheets live in a small store keyed by everything they depend on. CachedSheet is null when none
// is stored; SheetFor solves it then (without progress), null when it cannot be solved.
std::shared_ptr<const EddySheet> CachedSheet(const DesignRecord& design);
std::shared_ptr<const EddySheet> SheetFor(const DesignRecord& design);

// Sensitivity of the sensor (peak V per peak T) at the drive frequency: the fixed figure, or the
// induction coil's 2 pi f x turns x area x gain.
double SensorSensitivity(const DesignRecord& design);

}  // namespace orvendi
