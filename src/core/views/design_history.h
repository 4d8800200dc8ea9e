#pragma once

#include <optional>
#include <string>

#include "core/design/design_record.h"
#include "core/views/bed_editing.h"
#include "core/views/generator_placement.h"

namespace orvendi {

// One edit the user can take back: the design before and after it, and whether that edit
// leaves the bed model stale, so that undoing or redoing it does the same.
struct DesignStep {
  std::string name;  // "Move Generator 2", "Bed Design"
  DesignRecord before;
  DesignRecord after;
  bool sets_bed_stale = false;
};

// Whether two records hold the same design: every value a design file keeps, to the bit.
bool SameDesign(const DesignRecord& a, const DesignRecord& b);

// The step from `before` to `after`; none when the edit changed no value.
std::optional<DesignStep> MakeDesignStep(std::string name, const DesignRecord& before, const DesignRecord& after,
                                         bool sets_bed_stale);

// Puts the design of `snapshot` into `live`. The results, the bed model, the View menu's toggles
// and the run-time flags stay as they are in `live`: a step holds none of them. The results stop
// being valid when the step puts another scan grid in place.
void ApplyDesignSnapshot(const DesignRecord& snapshot, bool sets_bed_stale, DesignRecord& live);

// The mouse edit that a button press started: "Move Generator 2", "Move Bed", "Resize Bed";
// empty when none is under way.
std::string MouseEditName(const GeneratorDragState& drag, const BedEditState& bed_edit);

}  // namespace orvendi
