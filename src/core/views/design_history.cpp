#include "core/views/design_history.h"

#include <charconv>
#include <utility>

#include "core/design/design_file.h"
#include "core/design/design_schema.h"
#include "core/position/scan_grid.h"

namespace orvendi {

bool SameDesign(const DesignRecord& a, const DesignRecord& b) {
  // The file text is exact (every double reads back bit for bit) and covers every value a user
  // sets, so equal texts mean equal designs.
  const StoredView view;
  return WriteDesignJson(a, view) == WriteDesignJson(b, view);
}

std::optional<DesignStep> MakeDesignStep(std::string name, const DesignRecord& before, const DesignRecord& after,
                                         bool sets_bed_stale) {
  if (SameDesign(before, after)) return std::nullopt;
  return DesignStep{std::move(name), before, after, sets_bed_stale};
}

void ApplyDesignSnapshot(const DesignRecord& snapshot, bool sets_bed_stale, DesignRecord& live) {
  DesignRecord next = snapshot;
  for (const DesignKey& key : kDesignKeys) {
    if (!InUndoSteps(key)) CopyKeyValue(key, live, next);
  }
  if (!SameScanGrid(live, next)) next.results_valid = 0;
  live = next;
  if (sets_bed_stale) live.bed_stale = 1;
}

std::string MouseEditName(const GeneratorDragState& drag, const BedEditState& bed_edit) {
  if (drag.drag_active != 0 && drag.drag_generator >= 0 && drag.drag_generator < kGeneratorCount) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, drag.drag_generator).ptr;
    return "Move Generator " + std::string(digits, end);
  }
  if (bed_edit.bed_move_active != 0) return "Move Bed";
  if (bed_edit.bed_resize_active != 0) return "Resize Bed";
  return {};
}

}  // namespace orvendi
