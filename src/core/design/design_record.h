#pragma once

#include <array>
#include <complex>
#include <cstdint>

namespace orvendi {

using Phasor = std::complex<double>;

// Coil index k = 3 * g + a: generator g = 0..2, axis a = 0 (X), 1 (Y), 2 (Z).
inline constexpr int kGeneratorCount = 3;
inline constexpr int kCoilCount = 9;
// The sheet bed model factorises a dense matrix of one row per cell; beyond this it is refused.
inline constexpr int kMaxSheetCells = 2500;

// What the error map colours at each scan point.
inline constexpr std::int32_t kErrorMapError = 0;      // distance of the last run's estimate
inline constexpr std::int32_t kErrorMapTrueness = 1;   // of a Monte-Carlo run: mean estimate's distance
inline constexpr std::int32_t kErrorMapPrecision = 2;  // of a Monte-Carlo run: spread of the estimates
inline constexpr std::int32_t kErrorMapBound = 3;      // of a Monte-Carlo run: the precision bound
inline constexpr std::int32_t kErrorMapDistortion = 4;  // of the last run: quadrature share of the signal

// The factors the error magnification accepts; 1 draws the measured map as it is.
inline constexpr double kMinErrorMagnification = 1.0;
inline constexpr double kMaxErrorMagnification = 1e6;

// One square coil of a generator: the data of the real square-loop model.
struct CoilRecord {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double side_m = 0.0;
  double peak_current_a = 0.0;
  std::int32_t axis = 0;  // 0 X, 1 Y, 2 Z
  std::int32_t turns = 0;
};

// One field generator with its three orthogonal coils. side_m, turns and peak_current_a are
// held here and in every coil; the writers keep all copies equal.
struct GeneratorRecord {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double side_m = 0.0;
  double area_m2 = 0.0;  // always side_m squared
  std::int32_t turns = 0;
  double peak_current_a = 0.0;
  std::int32_t real_dipole = 0;
  std::array<CoilRecord, 3> coils{};
};

// Every parameter of the simulated system, the results the dialogs show, the display options,
// and the program's run-time flags held beside them. Zero until ApplyDesignDefaults. The mouse
// editing in progress is kept by the drawing area, not here.
struct DesignRecord {
  // Generators and drive
  std::array<GeneratorRecord, kGeneratorCount> generators{};
  double frequency_hz = 0.0;
  std::int32_t dipole_type = 0;  // 0 ideal, 1 real
  std::int32_t algorithm_type = 0;

  // Sensor and signal
  double sensor_sensitivity_v_per_t = 0.0;
  double sensor_theta_rad = 0.0;
  double sensor_phi_rad = 0.0;
  double noise_peak_v = 0.0;
  double offset_v = 0.0;
  std::int32_t sensor_model = 0;  // 0 fixed sensitivity, 1 induction coil
  double sensor_turns = 0.0;
  double sensor_area_m2 = 0.0;
  double sensor_gain = 0.0;  // V/V

  // Bed
  double bed_x1 = 0.0, bed_y1 = 0.0, bed_z1 = 0.0;
  double bed_x2 = 0.0, bed_y2 = 0.0, bed_z2 = 0.0;
  double bed_ohms_per_m = 0.0;
  std::int32_t bed_cells_x = 0;
  std::int32_t bed_cells_y = 0;
  std::int32_t bed_stale = 0;
  std::array<Phasor, kCoilCount> bed_currents{};
  std::array<Phasor, kCoilCount> bed_voltages{};
  std::int32_t bed_model = 0;  // 0 outline loop, 1 eddy-current sheet
  double bed_sheet_ohms_per_square = 0.0;

  // Scan
  double scan_x_from = 0.0, scan_x_to = 0.0, scan_x_step = 0.0;
  double scan_y_from = 0.0, scan_y_to = 0.0, scan_y_step = 0.0;
  double scan_z_from = 0.0, scan_z_to = 0.0, scan_z_step = 0.0;
  std::int32_t scan_plane = 0;  // 0 XY, 1 YZ, 2 ZX
  double scan_plane_z = 0.0;
  double scan_plane_x = 0.0;
  double scan_plane_y = 0.0;
  std::int32_t include_bed_currents = 0;

  // Targets the results are judged against; 0 = none
  double target_max_error_m = 0.0;
  double target_rms_error_m = 0.0;

  // Results
  std::int32_t results_valid = 0;
  double max_error_m = 0.0;
  double rms_error_m = 0.0;

  // Display options
  std::int32_t show_generators = 0;
  std::int32_t show_bed = 0;
  std::int32_t show_actual_map = 0;
  std::int32_t show_measured_map = 0;
  std::int32_t show_b_field = 0;
  std::array<std::int32_t, kCoilCount> coil_display{};
  std::int32_t display_bed_field = 0;
  std::int32_t map_style = 0;  // 0 dots, 1 grid
  std::int32_t show_error_map = 0;
  std::int32_t error_map_quantity = 0;  // one of the kErrorMap values
  double error_magnification = 0.0;     // the measured map shows true + factor * (estimate - true)

  // Run-time state held beside the design
  std::int32_t design_modified = 0;
  std::int32_t app_active = 0;
  std::int32_t edit_mode = 0;  // 0 Position Generators, 1 Modify Bed
};

// Gives every field of the design its initial value. The view has its own defaults
// (ApplyViewDefaults); the program applies the view's first, then the design's.
void ApplyDesignDefaults(DesignRecord& design);

// Whether a run of `a` and of `b` computes the same: every value the calculation, the bed model
// and the scan read is equal bit for bit. Display options and results do not count.
bool SameSimulationInputs(const DesignRecord& a, const DesignRecord& b);

// Whether the error magnification accepts `factor`: finite, kMinErrorMagnification to
// kMaxErrorMagnification.
bool ValidErrorMagnification(double factor);

// All nine bed currents and voltages to 0 + 0i.
void ResetBedResults(DesignRecord& design);

// Writes a generator's position into the generator and its three coils.
void SetGeneratorPosition(GeneratorRecord& generator, double x, double y, double z);

}  // namespace orvendi
