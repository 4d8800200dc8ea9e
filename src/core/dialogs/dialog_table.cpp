#include "core/dialogs/dialog_table.h"

#include <array>

#include "core/dialogs/dialog_logic.h"
#include "core/dialogs/scan_options.h"

namespace orvendi {

namespace {

namespace names = dialog_names;

constexpr std::array kDialogs{
    DialogSpec{names::kAlgorithmType, DialogKind::kSettings, 124, 60},
    DialogSpec{names::kFrequency, DialogKind::kSettings, 124, 52},
    DialogSpec{names::kGeneratorDesign, DialogKind::kSettings, 102, 86},
    DialogSpec{names::kSensorDesign, DialogKind::kSettings, 166, 52},
    DialogSpec{names::kBedDesign, DialogKind::kSettings, 144, 57},
    DialogSpec{names::kSignalNoise, DialogKind::kSettings, 156, 74},
    DialogSpec{names::kSensorOrientation, DialogKind::kSettings, 136, 52},
    DialogSpec{names::kDipoleType, DialogKind::kSettings, 124, 81},
    DialogSpec{names::kCalcBedParams, DialogKind::kSettings, 133, 50},
    DialogSpec{names::kViewOptions, DialogKind::kSettings, 202, 100},
    DialogSpec{names::kScanOptions, DialogKind::kScanOptions, 194, 142},
    DialogSpec{names::kErrorMap, DialogKind::kErrorMap},
    DialogSpec{names::kBedVoltages, DialogKind::kBedVoltages, 235, 115},
    DialogSpec{names::kBedCurrents, DialogKind::kBedCurrents, 235, 115},
    DialogSpec{names::kPositionAccuracy, DialogKind::kPositionAccuracy, 124, 70},
    DialogSpec{names::kAbout, DialogKind::kAbout, 194, 119},
};

}  // namespace

std::span<const DialogSpec> DialogTable() { return kDialogs; }

const DialogSpec* FindDialog(std::string_view name) {
  for (const DialogSpec& spec : kDialogs) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

std::optional<DialogEdit> DialogEditOf(std::string_view resource_name) {
  const DialogSpec* spec = FindDialog(resource_name);
  if (spec == nullptr) return std::nullopt;
  switch (spec->kind) {
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
