#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <variant>

#include "core/design/design_record.h"

namespace orvendi {

// Every key of the design, declared once: the design file, the comparison of simulation inputs,
// the undo history and the replacing of a design all walk these tables.

// What a key is to the program.
enum class KeyKind : std::uint8_t {
  kSimulationInput,  // read by the calculation, the bed model or the scan grid
  kDisplayOption,    // how the design and its results are drawn
  kResult,           // computed from the inputs, never stored in a file
  kSession,          // the window's state held beside the design, never stored in a file
};

// Which values reading or setting a key accepts.
enum class KeyCheck : std::uint8_t {
  kNone,          // not in a file: a copy the writers keep, or a result or session value
  kAnyNumber,     // what a dialog stores as typed, infinities and NaN included
  kFiniteNumber,  // positions, set only by the mouse and keys
  kWhole,         // a 32-bit count
  kZeroOrOne,
  kOneOrTwo,
  kOneToThree,
  kZeroToTwo,
  kZeroToFour,
  kScalePercent,   // one of kStoredScalePercents
  kMagnification,  // ValidErrorMagnification
  kScanRange,      // any number, then the nine range values are checked as a set
  kPositive,       // finite and above 0
  kZeroOrAbove,    // finite and not below 0
};

// Facts about a key beside its kind.
inline constexpr std::uint8_t kBedInput = 1;  // the bed model reads it
inline constexpr std::uint8_t kNoUndo = 2;    // a View menu toggle: no undo step records or restores it
// Left out of the file while 0, so that files of designs that do not use the key stay as they were.
inline constexpr std::uint8_t kOmittedAtZero = 4;

using CoilFlags = std::array<std::int32_t, kCoilCount>;
using CoilPhasors = std::array<Phasor, kCoilCount>;
using GeneratorRecords = std::array<GeneratorRecord, kGeneratorCount>;
using CoilRecords = std::array<CoilRecord, 3>;

template <class Record>
struct SchemaKey {
  std::string_view name;  // the file's key; empty where the file does not hold the value
  std::variant<double Record::*, std::int32_t Record::*, CoilFlags Record::*, CoilPhasors Record::*,
               GeneratorRecords Record::*, CoilRecords Record::*>
      member;
  KeyCheck check;
  KeyKind kind;
  std::uint8_t flags = 0;
  // What the window calls a value a user may set, and its unit; empty for the rest.
  std::string_view label = {};
  std::string_view unit = {};
};

using DesignKey = SchemaKey<DesignRecord>;

// Every value of a coil is a copy of its generator's (axis aside), kept by the writers.
inline constexpr SchemaKey<CoilRecord> kCoilKeys[] = {
    {"", &CoilRecord::x, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"", &CoilRecord::y, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"", &CoilRecord::z, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"", &CoilRecord::side_m, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"", &CoilRecord::peak_current_a, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"", &CoilRecord::axis, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"", &CoilRecord::turns, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
};

inline constexpr SchemaKey<GeneratorRecord> kGeneratorKeys[] = {
    {"x", &GeneratorRecord::x, KeyCheck::kFiniteNumber, KeyKind::kSimulationInput, kBedInput, "x", "m"},
    {"y", &GeneratorRecord::y, KeyCheck::kFiniteNumber, KeyKind::kSimulationInput, kBedInput, "y", "m"},
    {"z", &GeneratorRecord::z, KeyCheck::kFiniteNumber, KeyKind::kSimulationInput, kBedInput, "z", "m"},
    {"side_m", &GeneratorRecord::side_m, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, kBedInput,
     "coil side", "m"},
    {"turns", &GeneratorRecord::turns, KeyCheck::kWhole, KeyKind::kSimulationInput, kBedInput, "turns"},
    {"peak_current_a", &GeneratorRecord::peak_current_a, KeyCheck::kAnyNumber, KeyKind::kSimulationInput,
     kBedInput, "peak current", "A"},
    {"", &GeneratorRecord::area_m2, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"", &GeneratorRecord::real_dipole, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"", &GeneratorRecord::coils, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
};

// In the file's order of keys.
inline constexpr DesignKey kDesignKeys[] = {
    {"generators", &DesignRecord::generators, KeyCheck::kNone, KeyKind::kSimulationInput, kBedInput},
    {"frequency_hz", &DesignRecord::frequency_hz, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, kBedInput,
     "Frequency", "Hz"},
    {"dipole_type", &DesignRecord::dipole_type, KeyCheck::kZeroOrOne, KeyKind::kSimulationInput, kBedInput,
     "Dipole type"},
    {"algorithm_type", &DesignRecord::algorithm_type, KeyCheck::kOneToThree, KeyKind::kSimulationInput, 0,
     "Algorithm type"},
    {"sensor_sensitivity_v_per_t", &DesignRecord::sensor_sensitivity_v_per_t, KeyCheck::kAnyNumber,
     KeyKind::kSimulationInput, 0, "Sensor sensitivity", "V/T"},
    {"sensor_theta_rad", &DesignRecord::sensor_theta_rad, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, 0,
     "Sensor angle theta", "rad"},
    {"sensor_phi_rad", &DesignRecord::sensor_phi_rad, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, 0,
     "Sensor angle phi", "rad"},
    {"noise_peak_v", &DesignRecord::noise_peak_v, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, 0,
     "Noise peak", "V"},
    {"offset_v", &DesignRecord::offset_v, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, 0, "Offset", "V"},
    {"sensor_model", &DesignRecord::sensor_model, KeyCheck::kZeroOrOne, KeyKind::kSimulationInput, 0,
     "Sensor model"},
    {"sensor_turns", &DesignRecord::sensor_turns, KeyCheck::kPositive, KeyKind::kSimulationInput, 0,
     "Sensor turns"},
    {"sensor_area_m2", &DesignRecord::sensor_area_m2, KeyCheck::kPositive, KeyKind::kSimulationInput, 0,
     "Sensor area", "m²"},
    {"sensor_gain", &DesignRecord::sensor_gain, KeyCheck::kPositive, KeyKind::kSimulationInput, 0,
     "Sensor gain"},
    {"bed_x1", &DesignRecord::bed_x1, KeyCheck::kFiniteNumber, KeyKind::kSimulationInput, kBedInput,
     "Bed corner 1 x", "m"},
    {"bed_y1", &DesignRecord::bed_y1, KeyCheck::kFiniteNumber, KeyKind::kSimulationInput, kBedInput,
     "Bed corner 1 y", "m"},
    {"bed_z1", &DesignRecord::bed_z1, KeyCheck::kFiniteNumber, KeyKind::kSimulationInput, kBedInput,
     "Bed height z", "m"},
    {"bed_x2", &DesignRecord::bed_x2, KeyCheck::kFiniteNumber, KeyKind::kSimulationInput, kBedInput,
     "Bed corner 2 x", "m"},
    {"bed_y2", &DesignRecord::bed_y2, KeyCheck::kFiniteNumber, KeyKind::kSimulationInput, kBedInput,
     "Bed corner 2 y", "m"},
    // The bed is a sheet at bed_z1; bed_z2 only gives the box drawn in the front and side views.
    {"bed_z2", &DesignRecord::bed_z2, KeyCheck::kFiniteNumber, KeyKind::kDisplayOption},
    {"bed_ohms_per_m", &DesignRecord::bed_ohms_per_m, KeyCheck::kAnyNumber, KeyKind::kSimulationInput,
     kBedInput, "Bed resistance", "Ω/m"},
    {"bed_cells_x", &DesignRecord::bed_cells_x, KeyCheck::kWhole, KeyKind::kSimulationInput, kBedInput,
     "Bed cells x"},
    {"bed_cells_y", &DesignRecord::bed_cells_y, KeyCheck::kWhole, KeyKind::kSimulationInput, kBedInput,
     "Bed cells y"},
    {"bed_model", &DesignRecord::bed_model, KeyCheck::kZeroOrOne, KeyKind::kSimulationInput, kBedInput,
     "Bed model"},
    {"bed_sheet_ohms_per_square", &DesignRecord::bed_sheet_ohms_per_square, KeyCheck::kPositive,
     KeyKind::kSimulationInput, kBedInput, "Bed sheet resistance", "Ω/square"},
    {"scan_x_from", &DesignRecord::scan_x_from, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0,
     "Scan x from", "m"},
    {"scan_x_to", &DesignRecord::scan_x_to, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0, "Scan x to",
     "m"},
    {"scan_x_step", &DesignRecord::scan_x_step, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0,
     "Scan x step", "m"},
    {"scan_y_from", &DesignRecord::scan_y_from, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0,
     "Scan y from", "m"},
    {"scan_y_to", &DesignRecord::scan_y_to, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0, "Scan y to",
     "m"},
    {"scan_y_step", &DesignRecord::scan_y_step, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0,
     "Scan y step", "m"},
    {"scan_z_from", &DesignRecord::scan_z_from, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0,
     "Scan z from", "m"},
    {"scan_z_to", &DesignRecord::scan_z_to, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0, "Scan z to",
     "m"},
    {"scan_z_step", &DesignRecord::scan_z_step, KeyCheck::kScanRange, KeyKind::kSimulationInput, 0,
     "Scan z step", "m"},
    {"scan_plane", &DesignRecord::scan_plane, KeyCheck::kZeroToTwo, KeyKind::kSimulationInput, 0,
     "Scan plane"},
    {"scan_plane_z", &DesignRecord::scan_plane_z, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, 0,
     "Scan plane height z", "m"},
    {"scan_plane_x", &DesignRecord::scan_plane_x, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, 0,
     "Scan plane offset x", "m"},
    {"scan_plane_y", &DesignRecord::scan_plane_y, KeyCheck::kAnyNumber, KeyKind::kSimulationInput, 0,
     "Scan plane offset y", "m"},
    {"include_bed_currents", &DesignRecord::include_bed_currents, KeyCheck::kZeroOrOne,
     KeyKind::kSimulationInput, 0, "Include bed currents"},
    {"target_max_error_m", &DesignRecord::target_max_error_m, KeyCheck::kZeroOrAbove, KeyKind::kDisplayOption,
     kOmittedAtZero, "Target max error", "m"},
    {"target_rms_error_m", &DesignRecord::target_rms_error_m, KeyCheck::kZeroOrAbove, KeyKind::kDisplayOption,
     kOmittedAtZero, "Target RMS error", "m"},

    {"show_generators", &DesignRecord::show_generators, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption,
     kNoUndo},
    {"show_bed", &DesignRecord::show_bed, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption, kNoUndo},
    {"show_actual_map", &DesignRecord::show_actual_map, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption,
     kNoUndo},
    {"show_measured_map", &DesignRecord::show_measured_map, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption,
     kNoUndo},
    {"show_b_field", &DesignRecord::show_b_field, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption, kNoUndo},
    {"coil_display", &DesignRecord::coil_display, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption},
    {"display_bed_field", &DesignRecord::display_bed_field, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption},
    {"map_style", &DesignRecord::map_style, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption},
    {"show_error_map", &DesignRecord::show_error_map, KeyCheck::kZeroOrOne, KeyKind::kDisplayOption},
    {"error_map_quantity", &DesignRecord::error_map_quantity, KeyCheck::kZeroToFour, KeyKind::kDisplayOption},
    {"error_magnification", &DesignRecord::error_magnification, KeyCheck::kMagnification,
     KeyKind::kDisplayOption},

    {"", &DesignRecord::bed_stale, KeyCheck::kNone, KeyKind::kResult},
    {"", &DesignRecord::bed_currents, KeyCheck::kNone, KeyKind::kResult},
    {"", &DesignRecord::bed_voltages, KeyCheck::kNone, KeyKind::kResult},
    {"", &DesignRecord::results_valid, KeyCheck::kNone, KeyKind::kResult},
    {"", &DesignRecord::max_error_m, KeyCheck::kNone, KeyKind::kResult},
    {"", &DesignRecord::rms_error_m, KeyCheck::kNone, KeyKind::kResult},

    {"", &DesignRecord::design_modified, KeyCheck::kNone, KeyKind::kSession},
    {"", &DesignRecord::app_active, KeyCheck::kNone, KeyKind::kSession},
    {"", &DesignRecord::edit_mode, KeyCheck::kNone, KeyKind::kSession},
};

// Whether an undo step records and restores the key: the design's own values, not the results,
// the session or the View menu's toggles.
constexpr bool InUndoSteps(const DesignKey& key) {
  return (key.kind == KeyKind::kSimulationInput || key.kind == KeyKind::kDisplayOption) &&
         (key.flags & kNoUndo) == 0;
}

// Whether `a` and `b` hold the same value under the key, bit for bit (NaN equals NaN, 0 differs
// from -0); generators compare every value and every coil.
bool SameKeyValue(const DesignKey& key, const DesignRecord& a, const DesignRecord& b);

// Copies the key's value from `from` into `to`.
void CopyKeyValue(const DesignKey& key, const DesignRecord& from, DesignRecord& to);

// Copies every key of the kind from `from` into `to`.
void CopyKeysOfKind(KeyKind kind, const DesignRecord& from, DesignRecord& to);

}  // namespace orvendi
