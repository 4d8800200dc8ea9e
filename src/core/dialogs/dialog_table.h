#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace orvendi {

// The modal dialogs by resource name: the commands open them by these names, the widgets build
// them from their rows and tests find them by them.
namespace dialog_names {
inline constexpr std::string_view kAlgorithmType = "AlgorithmType";
inline constexpr std::string_view kFrequency = "Frequency";
inline constexpr std::string_view kGeneratorDesign = "GeneratorDesign";
inline constexpr std::string_view kSensorDesign = "SensorDesign";
inline constexpr std::string_view kBedDesign = "BedDesign";
inline constexpr std::string_view kSignalNoise = "SignalNoise";
inline constexpr std::string_view kSensorOrientation = "SensorOrientation";
inline constexpr std::string_view kDipoleType = "DipoleType";
inline constexpr std::string_view kCalcBedParams = "CalcBedParams";
inline constexpr std::string_view kViewOptions = "ViewOptions";
inline constexpr std::string_view kScanOptions = "ScanOptions";
inline constexpr std::string_view kErrorMap = "ErrorMap";
inline constexpr std::string_view kBedVoltages = "DisplayBedVoltages";
inline constexpr std::string_view kBedCurrents = "DisplayBedCurrents";
inline constexpr std::string_view kPositionAccuracy = "PositionAccuracy";
inline constexpr std::string_view kAbout = "AboutDialog";
inline constexpr std::string_view kTargets = "Targets";
}  // namespace dialog_names

enum class DialogKind {
  kSettings,  // one of SettingsDialogs(): edits the design through its bindings
  kScanOptions,
  kErrorMap,
  kAbout,
  kBedVoltages,
  kBedCurrents,
  kPositionAccuracy,
};

struct DialogEntry {
  std::string_view name;
  DialogKind kind;
  // The template's size in dialog units; 0 x 0 for a dialog sized by its layout alone.
  int width = 0;
  int height = 0;
};

// Every dialog a command opens by name.
std::span<const DialogEntry> DialogTable();
// Null for a name that is not in the table.
const DialogEntry* FindDialog(std::string_view name);

// The undo step of the error map's settings, from the menu toggle or the dialog.
inline constexpr std::string_view kErrorMapStepName = "Error Map";

// What OK in a dialog that edits the design does, as an undo step: the step's name (the dialog's
// title) and whether the edit leaves the bed model stale. None for dialogs that only show.
struct DialogEdit {
  std::string_view step_name;
  bool sets_bed_stale = false;
};
std::optional<DialogEdit> DialogEditOf(std::string_view resource_name);

}  // namespace orvendi
