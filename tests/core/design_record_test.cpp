#include "core/design/design_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/default_design.h"
#include "support/fake_host.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

using testing::FakeHost;

class DesignDefaultsTest : public ::testing::Test {
 protected:
  DesignDefaultsTest() {
    ApplyViewDefaults(view_, host_);
    ApplyDesignDefaults(design_);
  }
  DesignRecord design_;
  ViewState view_;
  FakeHost host_;
};

TEST_F(DesignDefaultsTest, GeneratorsAndTheirCoils) {
  const double places[3][2] = {{0, -0.26}, {-0.25, 0.25}, {0.25, 0.25}};
  for (int g = 0; g < kGeneratorCount; ++g) {
    SCOPED_TRACE("generator " + std::to_string(g));
    const GeneratorRecord& gen = design_.generators[g];
    EXPECT_EQ(gen.x, places[g][0]);
    EXPECT_EQ(gen.y, places[g][1]);
    EXPECT_EQ(gen.z, 0.0);
    EXPECT_EQ(gen.side_m, 0.02);
    EXPECT_EQ(gen.area_m2, 0.0004);
    EXPECT_EQ(gen.turns, 50);
    EXPECT_EQ(gen.peak_current_a, 5.0);
    EXPECT_EQ(gen.real_dipole, 1);
    // Ideal dipole moment 0.1 A m^2.
    EXPECT_DOUBLE_EQ(gen.area_m2 * gen.turns * gen.peak_current_a, 0.1);
    for (int a = 0; a < 3; ++a) {
      const CoilRecord& coil = gen.coils[a];
      EXPECT_EQ(coil.x, gen.x);
      EXPECT_EQ(coil.y, gen.y);
      EXPECT_EQ(coil.z, gen.z);
      EXPECT_EQ(coil.side_m, 0.02);
      EXPECT_EQ(coil.turns, 50);
      EXPECT_EQ(coil.peak_current_a, 5.0);
      EXPECT_EQ(coil.axis, a);
    }
  }
}

TEST_F(DesignDefaultsTest, DriveSensorAndSignal) {
  EXPECT_EQ(design_.dipole_type, 1);
  EXPECT_EQ(design_.frequency_hz, 10000.0);
  EXPECT_EQ(design_.algorithm_type, 1);
  EXPECT_EQ(design_.sensor_sensitivity_v_per_t, 10000.0);
  EXPECT_EQ(design_.sensor_theta_rad, 0.0);
  EXPECT_EQ(design_.sensor_phi_rad, 0.0);
  EXPECT_EQ(design_.noise_peak_v, 0.0);
  EXPECT_EQ(design_.offset_v, 0.0);
}

TEST_F(DesignDefaultsTest, Bed) {
  EXPECT_EQ(design_.bed_x1, -0.5);
  EXPECT_EQ(design_.bed_y1, -0.5);
  EXPECT_EQ(design_.bed_z1, 0.1);
  EXPECT_EQ(design_.bed_x2, 0.5);
  EXPECT_EQ(design_.bed_y2, 0.5);
  EXPECT_EQ(design_.bed_z2, 0.1);
  EXPECT_EQ(design_.bed_ohms_per_m, 1.0);
  EXPECT_EQ(design_.bed_cells_x, 25);
  EXPECT_EQ(design_.bed_cells_y, 25);
  EXPECT_EQ(design_.bed_stale, 1);
  for (int k = 0; k < kCoilCount; ++k) {
    EXPECT_EQ(design_.bed_currents[k], Phasor(0.0, 0.0));
    EXPECT_EQ(design_.bed_voltages[k], Phasor(0.0, 0.0));
  }
}

TEST_F(DesignDefaultsTest, Scan) {
  EXPECT_EQ(design_.scan_x_from, -0.25);
  EXPECT_EQ(design_.scan_x_to, 0.25);
  EXPECT_EQ(design_.scan_x_step, 0.1);
  EXPECT_EQ(design_.scan_y_from, -0.25);
  EXPECT_EQ(design_.scan_y_to, 0.25);
  EXPECT_EQ(design_.scan_y_step, 0.1);
  EXPECT_EQ(design_.scan_z_from, 0.1);
  EXPECT_EQ(design_.scan_z_to, 0.6);
  EXPECT_EQ(design_.scan_z_step, 0.1);
  EXPECT_EQ(design_.scan_plane, 0);
  EXPECT_EQ(design_.scan_plane_z, 0.4);
  EXPECT_EQ(design_.scan_plane_x, 0.0);
  EXPECT_EQ(design_.scan_plane_y, 0.0);
  EXPECT_EQ(design_.include_bed_currents, 0);
}

TEST_F(DesignDefaultsTest, ResultsDisplayAndInteraction) {
  EXPECT_EQ(design_.results_valid, 0);
  EXPECT_EQ(design_.show_generators, 1);
  EXPECT_EQ(design_.show_bed, 1);
  EXPECT_EQ(design_.show_actual_map, 1);
  EXPECT_EQ(design_.show_measured_map, 1);
  EXPECT_EQ(design_.show_b_field, 0);
  const std::array<std::int32_t, kCoilCount> only_first = {1, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(design_.coil_display, only_first);
  EXPECT_EQ(design_.display_bed_field, 0);
  EXPECT_EQ(design_.map_style, 1);
  EXPECT_EQ(design_.show_error_map, 0);
  EXPECT_EQ(design_.error_map_quantity, kErrorMapError);
  EXPECT_EQ(design_.error_magnification, 1.0);
  EXPECT_EQ(design_.app_active, 1);
  EXPECT_EQ(design_.design_modified, 0);
  EXPECT_EQ(design_.edit_mode, 0);
}

TEST_F(DesignDefaultsTest, ViewState) {
  EXPECT_EQ(view_.current_view, 0);
  EXPECT_EQ(view_.view_centre_x, 0.0);
  EXPECT_EQ(view_.view_centre_y, 0.0);
  EXPECT_EQ(view_.view_centre_z, 0.0);
  EXPECT_EQ(view_.pixels_per_metre_x, 400.0);
  EXPECT_EQ(view_.pixels_per_metre_y, 400.0);
  EXPECT_EQ(view_.pixels_per_metre_z, 400.0);
  EXPECT_EQ(view_.scale_percent, 100);
  EXPECT_EQ(view_.hscroll_pos, 500);
  EXPECT_EQ(view_.vscroll_pos, 500);
}

TEST_F(DesignDefaultsTest, ScrollBarsGetTheirRangesQuietlyThenTheirThumbs) {
  const std::vector<std::string> expected = {"range h 0 1000 noredraw", "range v 0 1000 noredraw",
                                             "pos h 500 redraw", "pos v 500 redraw"};
  EXPECT_EQ(host_.log, expected);
}

TEST(DesignDefaults, LeaveAloneWhatTheyDoNotSet) {
  DesignRecord design;
  design.scan_plane_y = 0.3;
  design.max_error_m = 0.01;
  design.rms_error_m = 0.002;
  ViewState view;
  NullHost host;
  ApplyViewDefaults(view, host);
  ApplyDesignDefaults(design);
  EXPECT_EQ(design.scan_plane_y, 0.3);
  EXPECT_EQ(design.max_error_m, 0.01);
  EXPECT_EQ(design.rms_error_m, 0.002);
  // A record as the process starts holds zero there.
  EXPECT_EQ(DesignRecord{}.scan_plane_y, 0.0);
  EXPECT_EQ(DesignRecord{}.max_error_m, 0.0);
}

TEST(DesignDefaults, ResetBedResultsZeroesAllEighteenPhasors) {
  DesignRecord design;
  for (int k = 0; k < kCoilCount; ++k) {
    design.bed_currents[k] = Phasor(k + 1.0, 2.0);
    design.bed_voltages[k] = Phasor(-3.0, k + 4.0);
  }
  design.bed_stale = 0;
  ResetBedResults(design);
  for (int k = 0; k < kCoilCount; ++k) {
    EXPECT_EQ(design.bed_currents[k], Phasor(0.0, 0.0));
    EXPECT_EQ(design.bed_voltages[k], Phasor(0.0, 0.0));
  }
  EXPECT_EQ(design.bed_stale, 0);
  // Before any reset the arrays already hold zeros.
  const DesignRecord fresh;
  for (int k = 0; k < kCoilCount; ++k) EXPECT_EQ(fresh.bed_voltages[k], Phasor(0.0, 0.0));
}

TEST(DesignDefaults, PlacingAGeneratorMovesItsThreeCoilsWithIt) {
  GeneratorRecord generator;
  SetGeneratorPosition(generator, 0.1, -0.2, 0.05);
  EXPECT_EQ(generator.x, 0.1);
  EXPECT_EQ(generator.y, -0.2);
  EXPECT_EQ(generator.z, 0.05);
  for (const CoilRecord& coil : generator.coils) {
    EXPECT_EQ(coil.x, 0.1);
    EXPECT_EQ(coil.y, -0.2);
    EXPECT_EQ(coil.z, 0.05);
  }
}

TEST(SimulationInputs, ResultsAndInteractionDoNotCountNaNEqualsItselfAndZeroItsSign) {
  DesignRecord a = testing::DefaultDesign();
  DesignRecord b = a;
  b.results_valid = 1, b.max_error_m = 0.1, b.bed_stale = 0, b.bed_currents[3] = {1, 2};
  b.edit_mode = 1, b.design_modified = 1, b.app_active = 0;
  EXPECT_TRUE(SameSimulationInputs(a, b));

  a.noise_peak_v = b.noise_peak_v = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(SameSimulationInputs(a, b));
  b.offset_v = -0.0;
  EXPECT_FALSE(SameSimulationInputs(a, b));
  b.offset_v = 0.0;
  b.generators[1].coils[2].peak_current_a = 4.0;  // a copy out of step still computes otherwise
  EXPECT_FALSE(SameSimulationInputs(a, b));
}

TEST(ErrorMagnificationRange, FiniteFromOneToAMillion) {
  for (double ok : {1.0, 10.0, 100.0, 1000.0, 2.5, 1e6}) EXPECT_TRUE(ValidErrorMagnification(ok)) << ok;
  for (double bad : {0.0, 0.999, -10.0, 1e6 * (1 + 1e-15), std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_FALSE(ValidErrorMagnification(bad)) << bad;
  }
}

}  // namespace
}  // namespace orvendi
