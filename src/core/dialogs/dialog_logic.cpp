#include "core/dialogs/dialog_logic.h"

#include <cmath>
#include <utility>

#include "core/design/design_record.h"
#include "core/design/number_text.h"
#include "core/dialogs/control_ids.h"
#include "core/dialogs/dialog_table.h"

namespace orvendi {

std::string DialogFields::Text(int id) const {
  const auto it = texts.find(id);
  return it == texts.end() ? std::string() : it->second;
}

bool DialogFields::Checked(int id) const {
  const auto it = checks.find(id);
  return it != checks.end() && it->second;
}

std::string ShowEntry(double value, EntryFormat format) {
  switch (format) {
    case EntryFormat::kGeneral:
      return FormatNumber(value, ShowFormat::kGeneral);
    case EntryFormat::kFixed3:
      return FormatNumber(value, ShowFormat::kFixed3);
    case EntryFormat::kInteger:
      // Integer boxes show 32-bit fields, so the value is always in range.
      return FormatInteger(static_cast<std::int32_t>(value));
  }
  return std::string();
}

std::optional<double> ReadEntry(std::string_view text, EntryFormat format) {
  if (format == EntryFormat::kInteger) {
    const std::optional<std::int32_t> value = ReadInteger(text);
    if (!value) return std::nullopt;
    return static_cast<double>(*value);
  }
  return ReadDouble(text);
}

namespace {

// Integer fields travel through EditBinding as doubles; every int32 is exact in a double and
// ReadEntry only hands back values that fit.
std::int32_t ToInt32(double value) { return static_cast<std::int32_t>(value); }

void StoreTurns(DesignRecord& design, double value) {
  for (GeneratorRecord& generator : design.generators) {
    generator.turns = ToInt32(value);
    for (CoilRecord& coil : generator.coils) coil.turns = ToInt32(value);
  }
}

void StoreSide(DesignRecord& design, double value) {
  for (GeneratorRecord& generator : design.generators) {
    generator.side_m = value;
    generator.area_m2 = value * value;
    for (CoilRecord& coil : generator.coils) coil.side_m = value;
  }
}

void StorePeakCurrent(DesignRecord& design, double value) {
  for (GeneratorRecord& generator : design.generators) {
    generator.peak_current_a = value;
    for (CoilRecord& coil : generator.coils) coil.peak_current_a = value;
  }
}

void StoreDipoleType(DesignRecord& design, std::int32_t value) {
  design.dipole_type = value;
  for (GeneratorRecord& generator : design.generators) generator.real_dipole = value;
}

template <int k>
CheckBinding CoilDisplayBox() {
  return CheckBinding{control_ids::kFirstCoilDisplay + k, [](const DesignRecord& d) { return d.coil_display[k]; },
                      [](DesignRecord& d, std::int32_t v) { d.coil_display[k] = v; }};
}

std::vector<SettingsDialog> BuildSettingsDialogs() {
  std::vector<SettingsDialog> dialogs;
  dialogs.push_back({dialog_names::kAlgorithmType,
                     "Algorithm",
                     false,
                     {RadioBinding{{{control_ids::kAlgorithm1, 1, true},
                                    {control_ids::kAlgorithm2, 2, false},
                                    {control_ids::kAlgorithm3, 3, true}},
                                   2,
                                   [](const DesignRecord& d) { return d.algorithm_type; },
                                   [](DesignRecord& d, std::int32_t v) { d.algorithm_type = v; }}}});
  dialogs.push_back(
      {dialog_names::kFrequency,
       "Frequency",
       true,
       {EditBinding{control_ids::kFrequency, EntryFormat::kGeneral, [](const DesignRecord& d) { return d.frequency_hz; },
                    [](DesignRecord& d, double v) { d.frequency_hz = v; }}}});
  // Generator 0 stands for all three: the copies are equal.
  dialogs.push_back(
      {dialog_names::kGeneratorDesign,
       "Generator Design",
       true,
       {EditBinding{control_ids::kTurns, EntryFormat::kInteger,
                    [](const DesignRecord& d) { return static_cast<double>(d.generators[0].turns); },
                    StoreTurns},
        EditBinding{control_ids::kSide, EntryFormat::kGeneral, [](const DesignRecord& d) { return d.generators[0].side_m; },
                    StoreSide},
        EditBinding{control_ids::kPeakCurrent, EntryFormat::kGeneral,
                    [](const DesignRecord& d) { return d.generators[0].peak_current_a; },
                    StorePeakCurrent}}});
  dialogs.push_back(
      {dialog_names::kSensorDesign,
       "Sensor Design",
       false,
       {EditBinding{control_ids::kSensitivity, EntryFormat::kFixed3,
                    [](const DesignRecord& d) { return d.sensor_sensitivity_v_per_t; },
                    [](DesignRecord& d, double v) { d.sensor_sensitivity_v_per_t = v; }},
        RadioBinding{{{control_ids::kFixedSensor, 0, true}, {control_ids::kInductionSensor, 1, true}},
                     std::nullopt,
                     [](const DesignRecord& d) { return d.sensor_model; },
                     [](DesignRecord& d, std::int32_t v) { d.sensor_model = v; }},
        EditBinding{control_ids::kSensorTurns, EntryFormat::kGeneral, [](const DesignRecord& d) { return d.sensor_turns; },
                    [](DesignRecord& d, double v) { d.sensor_turns = v; }},
        EditBinding{control_ids::kSensorArea, EntryFormat::kGeneral, [](const DesignRecord& d) { return d.sensor_area_m2; },
                    [](DesignRecord& d, double v) { d.sensor_area_m2 = v; }},
        EditBinding{control_ids::kSensorGain, EntryFormat::kGeneral, [](const DesignRecord& d) { return d.sensor_gain; },
                    [](DesignRecord& d, double v) { d.sensor_gain = v; }}}});
  dialogs.push_back(
      {dialog_names::kBedDesign,
       "Bed Design",
       true,
       {EditBinding{control_ids::kBedOhmsPerMetre, EntryFormat::kGeneral, [](const DesignRecord& d) { return d.bed_ohms_per_m; },
                    [](DesignRecord& d, double v) { d.bed_ohms_per_m = v; }}}});
  // The noise box works in hundredths of a volt.
  dialogs.push_back(
      {dialog_names::kSignalNoise,
       "Signal Noise",
       false,
       {EditBinding{control_ids::kNoise, EntryFormat::kGeneral, [](const DesignRecord& d) { return 100 * d.noise_peak_v; },
                    [](DesignRecord& d, double v) { d.noise_peak_v = v / 100; }},
        EditBinding{control_ids::kOffset, EntryFormat::kGeneral, [](const DesignRecord& d) { return d.offset_v; },
                    [](DesignRecord& d, double v) { d.offset_v = v; }}}});
  dialogs.push_back(
      {dialog_names::kSensorOrientation,
       "Sensor Orientation",
       false,
       {EditBinding{control_ids::kTheta, EntryFormat::kFixed3, [](const DesignRecord& d) { return d.sensor_theta_rad; },
                    [](DesignRecord& d, double v) { d.sensor_theta_rad = v; }},
        EditBinding{control_ids::kPhi, EntryFormat::kFixed3, [](const DesignRecord& d) { return d.sensor_phi_rad; },
                    [](DesignRecord& d, double v) { d.sensor_phi_rad = v; }}}});
  dialogs.push_back({dialog_names::kDipoleType,
                     "DipoleType",
                     true,
                     {RadioBinding{{{control_ids::kIdealDipole, 0, false}, {control_ids::kRealDipole, 1, true}},
                                   0,
                                   [](const DesignRecord& d) { return d.dipole_type; },
                                   StoreDipoleType}}});
  dialogs.push_back({dialog_names::kCalcBedParams,
                     "Calculate Bed Parameters",
                     true,
                     {EditBinding{control_ids::kBedCellsX, EntryFormat::kInteger,
                                  [](const DesignRecord& d) { return static_cast<double>(d.bed_cells_x); },
                                  [](DesignRecord& d, double v) { d.bed_cells_x = ToInt32(v); }},
                      EditBinding{control_ids::kBedCellsY, EntryFormat::kInteger,
                                  [](const DesignRecord& d) { return static_cast<double>(d.bed_cells_y); },
                                  [](DesignRecord& d, double v) { d.bed_cells_y = ToInt32(v); }},
                      RadioBinding{{{control_ids::kOutlineLoopBed, 0, true}, {control_ids::kSheetBed, 1, true}},
                                   std::nullopt,
                                   [](const DesignRecord& d) { return d.bed_model; },
                                   [](DesignRecord& d, std::int32_t v) { d.bed_model = v; }},
                      EditBinding{control_ids::kSheetOhmsPerSquare, EntryFormat::kGeneral,
                                  [](const DesignRecord& d) { return d.bed_sheet_ohms_per_square; },
                                  [](DesignRecord& d, double v) { d.bed_sheet_ohms_per_square = v; }}}});
  dialogs.push_back({dialog_names::kViewOptions,
                     "View Options",
                     false,
                     {CoilDisplayBox<0>(), CoilDisplayBox<1>(), CoilDisplayBox<2>(), CoilDisplayBox<3>(),
                      CoilDisplayBox<4>(), CoilDisplayBox<5>(), CoilDisplayBox<6>(), CoilDisplayBox<7>(),
                      CoilDisplayBox<8>(),
                      RadioBinding{{{control_ids::kDots, 0, true}, {control_ids::kGrid, 1, true}},
                                   std::nullopt,
                                   [](const DesignRecord& d) { return d.map_style; },
                                   [](DesignRecord& d, std::int32_t v) { d.map_style = v; }},
                      CheckBinding{control_ids::kDisplayBedField, [](const DesignRecord& d) { return d.display_bed_field; },
                                   [](DesignRecord& d, std::int32_t v) { d.display_bed_field = v; }}}});
  // In millimetres; a target below 0 or not finite is no target the file could hold, and is not stored.
  dialogs.push_back({dialog_names::kTargets,
                     "Targets",
                     false,
                     {EditBinding{control_ids::kTargetMaxError, EntryFormat::kGeneral,
                                  [](const DesignRecord& d) { return 1000 * d.target_max_error_m; },
                                  [](DesignRecord& d, double v) {
                                    if (std::isfinite(v) && v >= 0.0) d.target_max_error_m = v / 1000;
                                  }},
                      EditBinding{control_ids::kTargetRmsError, EntryFormat::kGeneral,
                                  [](const DesignRecord& d) { return 1000 * d.target_rms_error_m; },
                                  [](DesignRecord& d, double v) {
                                    if (std::isfinite(v) && v >= 0.0) d.target_rms_error_m = v / 1000;
                                  }}}});
  return dialogs;
}

void Fill(const EditBinding& edit, const DesignRecord& design, DialogFields& fields) {
  fields.texts[edit.id] = ShowEntry(edit.show(design), edit.format);
}

void Fill(const CheckBinding& check, const DesignRecord& design, DialogFields& fields) {
  fields.checks[check.id] = check.get(design) != 0;
}

void Fill(const RadioBinding& radio, const DesignRecord& design, DialogFields& fields) {
  const std::int32_t value = radio.get(design);
  for (const RadioButton& button : radio.buttons) fields.checks[button.id] = button.value == value;
}

void Store(const EditBinding& edit, const DialogFields& fields, DesignRecord& design) {
  const std::string& text = fields.Text(edit.id);
  // The box shows the value rounded (or cut short); left untouched, it keeps the value it had.
  if (text == ShowEntry(edit.show(design), edit.format)) return;
  if (const std::optional<double> value = ReadEntry(text, edit.format))
    edit.store(design, *value);
}

void Store(const CheckBinding& check, const DialogFields& fields, DesignRecord& design) {
  check.set(design, fields.Checked(check.id) ? 1 : 0);
}

void Store(const RadioBinding& radio, const DialogFields& fields, DesignRecord& design) {
  std::optional<std::int32_t> value = radio.otherwise;
  for (const RadioButton& button : radio.buttons) {
    if (button.tested_on_ok && fields.Checked(button.id)) value = button.value;
  }
  if (value) radio.set(design, *value);
}

// The first value a design file would refuse that the dialogs can set, as the dialogs name it;
// empty when there is none.
std::string RefusedValue(const DesignRecord& d) {
  struct Positive {
    const char* label;
    double DesignRecord::*member;
  };
  static constexpr Positive kPositive[] = {{"Sensor turns", &DesignRecord::sensor_turns},
                                           {"Sensor area (m\u00b2)", &DesignRecord::sensor_area_m2},
                                           {"Sensor gain (V/V)", &DesignRecord::sensor_gain},
                                           {"Sheet resistance (ohms per square)", &DesignRecord::bed_sheet_ohms_per_square}};
  for (const Positive& p : kPositive) {
    const double v = d.*p.member;
    if (!(std::isfinite(v) && v > 0.0)) return std::string(p.label) + " must be a finite number above 0.";
  }
  const std::int64_t cells = static_cast<std::int64_t>(d.bed_cells_x) * d.bed_cells_y;
  if (d.bed_model == 1 && cells > kMaxSheetCells)
    return "The eddy-current sheet takes at most " + FormatInteger(kMaxSheetCells) + " cells; " +
           FormatInteger(d.bed_cells_x) + " x " + FormatInteger(d.bed_cells_y) + " is " + std::to_string(cells) + ".";
  return {};
}

}  // namespace

const std::vector<SettingsDialog>& SettingsDialogs() {
  static const std::vector<SettingsDialog> dialogs = BuildSettingsDialogs();
  return dialogs;
}

const SettingsDialog* FindSettingsDialog(std::string_view resource_name) {
  for (const SettingsDialog& dialog : SettingsDialogs()) {
    if (dialog.resource_name == resource_name) return &dialog;
  }
  return nullptr;
}

DialogFields FillSettingsDialog(const SettingsDialog& dialog, const DesignRecord& design) {
  DialogFields fields;
  for (const DialogBinding& binding : dialog.bindings) {
    std::visit([&](const auto& b) { Fill(b, design, fields); }, binding);
  }
  return fields;
}

bool StoreSettingsDialog(const SettingsDialog& dialog, const DialogFields& fields, DesignRecord& design,
                         std::string* error) {
  DesignRecord updated = design;
  for (const DialogBinding& binding : dialog.bindings) {
    std::visit([&](const auto& b) { Store(b, fields, updated); }, binding);
  }
  // A fault the design already had is not this dialog's to refuse.
  std::string refused = RefusedValue(updated);
  if (!refused.empty() && refused != RefusedValue(design)) {
    if (error != nullptr) *error = std::move(refused);
    return false;
  }
  if (dialog.sets_bed_stale) updated.bed_stale = 1;
  design = updated;
  return true;
}

bool FillSettingsDialog(std::string_view resource_name, const DesignRecord& design, DialogFields& fields) {
  const SettingsDialog* dialog = FindSettingsDialog(resource_name);
  if (dialog == nullptr) return false;
  fields = FillSettingsDialog(*dialog, design);
  return true;
}

bool StoreSettingsDialog(std::string_view resource_name, const DialogFields& fields, DesignRecord& design,
                         std::string* error) {
  const SettingsDialog* dialog = FindSettingsDialog(resource_name);
  return dialog != nullptr && StoreSettingsDialog(*dialog, fields, design, error);
}

}  // namespace orvendi
