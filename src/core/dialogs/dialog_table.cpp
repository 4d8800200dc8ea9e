#include "core/dialogs/dialog_table.h"

#include <array>

#include "core/dialogs/dialog_logic.h"
#include "core/dialogs/scan_options.h"

namespace orvendi {

namespace {

namespace names = dialog_names;

constexpr std::array kDialogs{
    DialogEntry{names::kAlgorithmType, DialogKind::kSettings, 124, 60},
    DialogEntry{names::kFrequency, DialogKind::kSettings, 124, 52},
    DialogEntry{names::kGeneratorDesign, DialogKind::kSettings, 102, 86},
    DialogEntry{names::kSensorDesign, DialogKind::kSettings, 166, 52},
    DialogEntry{names::kBedDesign, DialogKind::kSettings, 144, 57},
    DialogEntry{names::kSignalNoise, DialogKind::kSettings, 156, 74},
    DialogEntry{names::kSensorOrientation, DialogKind::kSettings, 136, 52},
    DialogEntry{names::kDipoleType, DialogKind::kSettings, 124, 81},
    DialogEntry{names::kCalcBedParams, DialogKind::kSettings, 133, 50},
    DialogEntry{names::kViewOptions, DialogKind::kSettings, 202, 100},
    DialogEntry{names::kTargets, DialogKind::kSettings, 156, 74},
    DialogEntry{names::kScanOptions, DialogKind::kScanOptions, 194, 142},
    DialogEntry{names::kErrorMap, DialogKind::kErrorMap},
    DialogEntry{names::kBedVoltages, DialogKind::kBedVoltages, 235, 115},
    DialogEntry{names::kBedCurrents, DialogKind::kBedCurrents, 235, 115},
    DialogEntry{names::kPositionAccuracy, DialogKind::kPositionAccuracy, 124, 70},
    DialogEntry{names::kAbout, DialogKind::kAbout, 194, 119},
};

}  // namespace

std::span<const DialogEntry> DialogTable() { return kDialogs; }

const DialogEntry* FindDialog(std::string_view name) {
  for (const DialogEntry& entry : kDialogs) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

std::optional<DialogEdit> DialogEditOf(std::string_view resource_name) {
  const DialogEntry* entry = FindDialog(resource_name);
  if (entry == nullptr) return std::nullopt;
  switch (entry->kind) {
    case DialogKind::kSettings:
      if (const SettingsDialog* dialog = FindSettingsDialog(resource_name))
        return DialogEdit{dialog->title, dialog->sets_bed_stale};
      return std::nullopt;
    case DialogKind::kScanOptions:
      return DialogEdit{kScanOptionsTitle, false};
    case DialogKind::kErrorMap:
      return DialogEdit{kErrorMapStepName, false};
    case DialogKind::kAbout:
    case DialogKind::kBedVoltages:
    case DialogKind::kBedCurrents:
    case DialogKind::kPositionAccuracy:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace orvendi
