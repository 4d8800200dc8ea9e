#include "core/dialogs/result_dialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/dialogs/dialog_logic.h"
#include "core/position/scan_grid.h"
#include "support/fake_host.h"
#include "support/fake_progress.h"
#include "core/views/view_state.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FormatComplex, SignOfTheImaginaryPartPicksTheJoin) {
  EXPECT_EQ(FormatComplex({0.5, -0.25}), "0.5-i0.25");
  EXPECT_EQ(FormatComplex({0.5, 0.25}), "0.5+i0.25");
  EXPECT_EQ(FormatComplex({0, 0}), "0+i0");
  EXPECT_EQ(FormatComplex({1, -0.0}), "1+i0");
  EXPECT_EQ(FormatComplex({0, -0.001}), "0-i0.001");
  EXPECT_EQ(FormatComplex({-2, 0.0000150}), "-2+i1.5e-05");
  EXPECT_EQ(FormatComplex({1234567, -0.0001}), "1.23457e+06-i0.0001");
}

TEST(FormatComplex, NonFinitePartsShowAsText) {
  EXPECT_EQ(FormatComplex({kInf, std::nan("")}), "inf+inan");
  EXPECT_EQ(FormatComplex({-kInf, -kInf}), "-inf-iinf");
  EXPECT_EQ(FormatComplex({0, kInf}), "0+iinf");
}

TEST(BedResultDialogs, FirstOpeningComputesTheModelOnce) {
  DesignRecord design = DefaultDesign();
  testing::FakeHost host;
  testing::FakeProgress progress;
  const DialogFields voltages = OpenBedVoltages(design, host, progress);
  EXPECT_EQ(design.bed_stale, 0);
  EXPECT_EQ(host.Count("capture"), 1);
  ASSERT_EQ(voltages.texts.size(), 9u);
  EXPECT_EQ(voltages.Text(2042), "0+i0.00787816");  // generator 0, Z coil
  EXPECT_EQ(voltages.Text(2041), "0+i0.00152182");
  EXPECT_EQ(voltages.Text(2043), "0+i0.00128504");
  EXPECT_EQ(voltages.Text(2044), "0-i0.00128504");
  EXPECT_EQ(voltages.Text(2045), "0+i0.00869706");
  EXPECT_EQ(voltages.Text(2048), "0+i0.00869706");

  const DialogFields currents = OpenBedCurrents(design, host, progress);
  EXPECT_EQ(host.Count("capture"), 1);
  ASSERT_EQ(currents.texts.size(), 9u);
  EXPECT_EQ(currents.Text(2032), "0+i0.00196954");
  EXPECT_EQ(currents.texts.count(2040), 0u);
}

TEST(BedResultDialogs, ConfirmingFrequencyMakesTheNextOpeningRecompute) {
  DesignRecord design = DefaultDesign();
  testing::FakeHost host;
  testing::FakeProgress progress;
  OpenBedVoltages(design, host, progress);
  StoreSettingsDialog(*FindSettingsDialog("Frequency"),
                      FillSettingsDialog(*FindSettingsDialog("Frequency"), design), design);
  EXPECT_EQ(design.bed_stale, 1);
  OpenBedCurrents(design, host, progress);
  EXPECT_EQ(host.Count("capture"), 2);
  EXPECT_EQ(design.bed_stale, 0);
}

TEST(BedResultDialogs, ACancelledModelShowsThePreviousResultsStillStale) {
  DesignRecord design = DefaultDesign();
  design.bed_voltages[2] = {0, 0.5};
  design.bed_currents[2] = {0, -0.25};
  testing::FakeHost host;
  testing::FakeProgress progress;
  progress.cancel_after = 3;
  EXPECT_EQ(OpenBedVoltages(design, host, progress).Text(2042), "0+i0.5");
  EXPECT_EQ(design.bed_stale, 1);
  EXPECT_EQ(OpenBedCurrents(design, host, progress).Text(2032), "0-i0.25");
  EXPECT_EQ(design.bed_stale, 1);
  // The busy state is undone even when cancelled.
  EXPECT_EQ(host.Count("capture"), host.Count("release"));
  EXPECT_EQ(host.Count("wait"), host.Count("restore"));
}

TEST(PositionAccuracyDialog, ShowsSixDecimalsOfTheFreshStatistics) {
  DesignRecord design = DefaultDesign();
  ResultBuffer results;
  // Two points along x, measured 3 mm and 4 mm off.
  design.scan_x_from = 0;
  design.scan_x_to = 0.1;
  design.scan_x_step = 0.1;
  design.scan_y_from = design.scan_y_to = 0;
  design.scan_y_step = 0.1;
  design.results_valid = 1;
  const double z = design.scan_plane_z;
  double* first = results.Slot(0, 0);
  first[0] = 0.003, first[1] = 0, first[2] = z;
  double* second = results.Slot(1, 0);
  second[0] = 0.1, second[1] = 0.004, second[2] = z;
  const DialogFields fields = OpenPositionAccuracy(design, results);
  EXPECT_EQ(fields.Text(2070), "0.004000");
  EXPECT_EQ(fields.Text(2071), "0.003536");
  ASSERT_EQ(fields.texts.size(), 2u);
}

TEST(PositionAccuracyDialog, TinyErrorsReadAsZeroAndNoRunKeepsTheOldValues) {
  DesignRecord design = DefaultDesign();
  ResultBuffer results;
  design.max_error_m = 4e-7;
  design.rms_error_m = 0.25;
  const DialogFields fields = OpenPositionAccuracy(design, results);  // results_valid is 0
  EXPECT_EQ(fields.Text(2070), "0.000000");
  EXPECT_EQ(fields.Text(2071), "0.250000");
  design.max_error_m = kInf;
  EXPECT_EQ(PositionAccuracyFields(design).Text(2070), "inf");
}

}  // namespace
}  // namespace orvendi
