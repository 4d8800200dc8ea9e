#include "core/design/design_record.h"

#include <cmath>

#include "core/design/design_schema.h"

namespace orvendi {

void ResetBedResults(DesignRecord& design) {
  for (int g = 0; g < kGeneratorCount; ++g) {
    for (int a = 0; a < 3; ++a) design.bed_currents[3 * g + a] = Phasor(0.0, 0.0);
    for (int a = 0; a < 3; ++a) design.bed_voltages[3 * g + a] = Phasor(0.0, 0.0);
  }
}

void SetGeneratorPosition(GeneratorRecord& generator, double x, double y, double z) {
  generator.x = x;
  generator.y = y;
  generator.z = z;
  for (CoilRecord& coil : generator.coils) {
    coil.x = x;
    coil.y = y;
    coil.z = z;
  }
}

namespace {

void DefaultGenerator(GeneratorRecord& generator, double x, double y) {
  generator.side_m = 0.02;
  generator.area_m2 = 0.0004;
  generator.turns = 50;
  generator.peak_current_a = 5.0;
  generator.real_dipole = 1;
  for (int a = 0; a < 3; ++a) {
    CoilRecord& coil = generator.coils[a];
    coil.side_m = 0.02;
    coil.peak_current_a = 5.0;
    coil.axis = a;
    coil.turns = 50;
  }
  SetGeneratorPosition(generator, x, y, 0.0);
}

}  // namespace

void ApplyDesignDefaults(DesignRecord& design) {
  design.app_active = 1;
  design.design_modified = 0;
  design.edit_mode = 0;

  DefaultGenerator(design.generators[0], 0.0, -0.26);
  DefaultGenerator(design.generators[1], -0.25, 0.25);
  DefaultGenerator(design.generators[2], 0.25, 0.25);
  design.dipole_type = 1;
  design.frequency_hz = 10000.0;
  design.algorithm_type = 1;
  design.sensor_sensitivity_v_per_t = 10000.0;
  design.sensor_theta_rad = 0.0;
  design.sensor_phi_rad = 0.0;
  design.noise_peak_v = 0.0;
  design.offset_v = 0.0;
  design.sensor_model = 0;
  design.sensor_turns = 100.0;
  design.sensor_area_m2 = 1e-4;
  design.sensor_gain = 1.0;

  ResetBedResults(design);

  design.bed_x1 = -0.5;
  design.bed_y1 = -0.5;
  design.bed_z1 = 0.1;
  design.bed_x2 = 0.5;
  design.bed_y2 = 0.5;
  design.bed_z2 = 0.1;
  design.bed_ohms_per_m = 1.0;
  design.bed_cells_x = 25;
  design.bed_cells_y = 25;
  design.bed_model = 0;
  design.bed_sheet_ohms_per_square = 2.9e-5;
  design.bed_stale = 1;

  design.scan_x_from = -0.25;
  design.scan_x_to = 0.25;
  design.scan_x_step = 0.1;
  design.scan_y_from = -0.25;
  design.scan_y_to = 0.25;
  design.scan_y_step = 0.1;
  design.scan_z_from = 0.1;
  design.scan_z_to = 0.6;
  design.scan_z_step = 0.1;
  design.scan_plane = 0;
  design.scan_plane_z = 0.4;
  design.scan_plane_x = 0.0;
  // scan_plane_y is left as it was: zero from construction.
  design.include_bed_currents = 0;
  design.results_valid = 0;

  design.show_generators = 1;
  design.show_bed = 1;
  design.show_actual_map = 1;
  design.show_measured_map = 1;
  design.show_b_field = 0;
  design.coil_display = {1, 0, 0, 0, 0, 0, 0, 0, 0};
  design.display_bed_field = 0;
  design.map_style = 1;
  design.show_error_map = 0;
  design.error_map_quantity = kErrorMapError;
  design.error_magnification = 1.0;
}

bool SameSimulationInputs(const DesignRecord& a, const DesignRecord& b) {
  for (const DesignKey& key : kDesignKeys) {
    if (key.kind == KeyKind::kSimulationInput && !SameKeyValue(key, a, b)) return false;
  }
  return true;
}

bool ValidErrorMagnification(double factor) {
  return std::isfinite(factor) && factor >= kMinErrorMagnification && factor <= kMaxErrorMagnification;
}

}  // namespace orvendi
