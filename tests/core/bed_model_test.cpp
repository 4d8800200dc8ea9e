#include "core/field/bed_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/design/design_record.h"
#include "core/dialogs/window_runs.h"
#include "support/fake_host.h"
#include "support/fake_progress.h"
#include "support/printed_value.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

using testing::FakeHost;
using testing::FakeProgress;
using testing::MatchesPrinted;

const std::vector<std::string> kBusyProtocol = {"capture", "wait", "restore", "release",
                                                "invalidate drawing all erase"};

class BedModelTest : public ::testing::Test {
 protected:
  BedModelTest() {
    ViewState view;
    NullHost null_host;
    ApplyViewDefaults(view, null_host);
    ApplyDesignDefaults(design_);
  }

  // Distinct non-zero values in all eighteen phasors.
  void FillResults() {
    for (int k = 0; k < kCoilCount; ++k) {
      design_.bed_voltages[k] = Phasor(k + 1.0, -(k + 1.0));
      design_.bed_currents[k] = Phasor(k + 100.0, k + 200.0);
    }
  }

  void ExpectAllResultsZero() {
    for (int k = 0; k < kCoilCount; ++k) {
      EXPECT_EQ(design_.bed_voltages[k], Phasor(0.0, 0.0)) << "coil " << k;
      EXPECT_EQ(design_.bed_currents[k], Phasor(0.0, 0.0)) << "coil " << k;
    }
  }

  DesignRecord design_;
  FakeHost host_;
  FakeProgress progress_;
};

TEST_F(BedModelTest, DefaultVoltagesAndCurrents) {
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  const auto& v = design_.bed_voltages;
  const auto& i = design_.bed_currents;
  EXPECT_TRUE(MatchesPrinted(v[2].imag(), "0.00787816"));  // generator 0, Z
  EXPECT_TRUE(MatchesPrinted(i[2].imag(), "0.00196954"));
  EXPECT_TRUE(MatchesPrinted(v[1].imag(), "0.00152182"));   // generator 0, Y
  EXPECT_TRUE(MatchesPrinted(v[3].imag(), "0.00128504"));   // generator 1, X
  EXPECT_TRUE(MatchesPrinted(v[4].imag(), "-0.00128504"));  // generator 1, Y
  EXPECT_TRUE(MatchesPrinted(v[5].imag(), "0.00869706"));   // generator 1, Z
  EXPECT_TRUE(MatchesPrinted(v[8].imag(), "0.00869706"));   // generator 2, Z
  // Generator 0's X coil lies on the bed's symmetry plane x = 0: its flux cancels to rounding.
  EXPECT_LE(std::fabs(v[0].imag()), 1e-12 * v[2].imag());
  for (int k = 0; k < kCoilCount; ++k) {
    EXPECT_EQ(v[k].real(), 0.0);
    EXPECT_EQ(i[k].real(), 0.0);
    // The perimeter of 4 m at 1 ohm per metre: a resistance of exactly 4 ohm.
    EXPECT_EQ(i[k].imag(), v[k].imag() / 4) << "coil " << k;
  }
}

TEST_F(BedModelTest, IdealDipoleVoltage) {
  design_.dipole_type = 0;
  for (GeneratorRecord& g : design_.generators) g.real_dipole = 0;
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  EXPECT_TRUE(MatchesPrinted(design_.bed_voltages[2].imag(), "0.00787682"));
}

TEST_F(BedModelTest, ResistanceScalesOnlyTheCurrentsAndFrequencyScalesBoth) {
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  const DesignRecord base = design_;

  design_.bed_ohms_per_m = 2.0;
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  for (int k = 0; k < kCoilCount; ++k) {
    EXPECT_EQ(design_.bed_voltages[k], base.bed_voltages[k]);
    EXPECT_EQ(design_.bed_currents[k].imag(), base.bed_currents[k].imag() / 2);
  }

  design_.bed_ohms_per_m = 1.0;
  design_.frequency_hz = 20000.0;
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  for (int k = 0; k < kCoilCount; ++k) {
    EXPECT_EQ(design_.bed_voltages[k].imag(), 2 * base.bed_voltages[k].imag());
    EXPECT_EQ(design_.bed_currents[k].imag(), 2 * base.bed_currents[k].imag());
  }
}

TEST_F(BedModelTest, RunsWithTheMouseCapturedAndTheBusyCursorThenRepaintsEverything) {
  ASSERT_TRUE(RefreshBedModelInWindow(design_, host_, progress_));
  EXPECT_EQ(host_.log, kBusyProtocol);
  // Progress after every row of every coil, ending complete.
  EXPECT_EQ(progress_.progress_calls, 9 * 25);
  EXPECT_EQ(progress_.last_progress, 1.0);
}

TEST_F(BedModelTest, ItNeitherReadsNorChangesTheStaleFlag) {
  design_.bed_stale = 0;
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  EXPECT_EQ(design_.bed_stale, 0);
  EXPECT_NE(design_.bed_voltages[2], Phasor(0.0, 0.0));
  design_.bed_stale = 1;
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  EXPECT_EQ(design_.bed_stale, 1);
}

TEST_F(BedModelTest, CancelKeepsThePreviousResults) {
  FillResults();
  const DesignRecord before = design_;
  progress_.cancel_after = 30;
  EXPECT_FALSE(RefreshBedModelInWindow(design_, host_, progress_));
  EXPECT_EQ(progress_.progress_calls, 30);
  EXPECT_EQ(design_.bed_voltages, before.bed_voltages);
  EXPECT_EQ(design_.bed_currents, before.bed_currents);
  // The cursor, the capture and the picture are put right all the same.
  EXPECT_EQ(host_.log, kBusyProtocol);
}

TEST_F(BedModelTest, LongRowsReportProgressWithinTheRow) {
  design_.bed_cells_x = 200000;
  design_.bed_cells_y = 1;
  progress_.cancel_after = 2;
  EXPECT_FALSE(ComputeBedModel(design_, progress_));
  EXPECT_LT(progress_.last_progress, 1.0 / 9);

  FakeProgress progress;
  ASSERT_TRUE(ComputeBedModel(design_, progress));
  EXPECT_EQ(progress.progress_calls, 9 * 4);  // 65536-cell pieces
  EXPECT_EQ(progress.last_progress, 1.0);
}

TEST_F(BedModelTest, CountsBelowOneMakeAnEmptyBed) {
  const int counts[][2] = {
      {25, 0}, {0, 5}, {-3, 25}, {25, -1}, {0, 0}, {-2147483647 - 1, 3}, {3, -2147483647 - 1}};
  for (const auto& c : counts) {
    SCOPED_TRACE(std::to_string(c[0]) + " x " + std::to_string(c[1]));
    FillResults();
    design_.bed_cells_x = c[0];
    design_.bed_cells_y = c[1];
    FakeProgress progress;
    EXPECT_TRUE(ComputeBedModel(design_, progress));
    ExpectAllResultsZero();
    EXPECT_EQ(progress.progress_calls, 0);
  }
}

TEST_F(BedModelTest, ZeroResistanceGivesNonFiniteCurrentsAndNothingWorse) {
  design_.bed_ohms_per_m = 0.0;
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  EXPECT_TRUE(MatchesPrinted(design_.bed_voltages[2].imag(), "0.00787816"));
  for (int k = 0; k < kCoilCount; ++k) {
    EXPECT_FALSE(std::isfinite(design_.bed_currents[k].imag())) << "coil " << k;
    EXPECT_TRUE(std::isnan(design_.bed_currents[k].real())) << "coil " << k;  // 0 / 0
  }

  // A bed of no width and no height: no flux, and 0 / 0 for every current.
  design_.bed_ohms_per_m = 1.0;
  design_.bed_x2 = design_.bed_x1;
  design_.bed_y2 = design_.bed_y1;
  ASSERT_TRUE(ComputeBedModel(design_, progress_));
  for (int k = 0; k < kCoilCount; ++k) {
    EXPECT_EQ(design_.bed_voltages[k], Phasor(0.0, 0.0));
    EXPECT_TRUE(std::isnan(design_.bed_currents[k].imag()));
  }
}

TEST_F(BedModelTest, NonFiniteDesignValuesStillEndTheRun) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  design_.bed_cells_x = design_.bed_cells_y = 4;
  for (double odd : {nan, inf, -inf, 1e308}) {
    DesignRecord d = design_;
    d.bed_x2 = odd;
    EXPECT_TRUE(ComputeBedModel(d, progress_));
    d = design_;
    d.generators[1].coils[0].side_m = odd;
    d.generators[2].y = odd;
    d.generators[2].real_dipole = 0;
    d.frequency_hz = odd;
    EXPECT_TRUE(ComputeBedModel(d, progress_));
  }
}

TEST_F(BedModelTest, RefreshRunsOnlyWhenStaleAndClearsTheFlag) {
  ASSERT_EQ(design_.bed_stale, 1);
  EXPECT_TRUE(RefreshBedModelInWindow(design_, host_, progress_));
  EXPECT_EQ(design_.bed_stale, 0);
  EXPECT_EQ(host_.log, kBusyProtocol);
  const auto voltages = design_.bed_voltages;

  // Moving a generator does not make the results stale: they stay those of the old place.
  SetGeneratorPosition(design_.generators[0], 0.1, -0.1, 0.0);
  FakeHost again;
  EXPECT_TRUE(RefreshBedModelInWindow(design_, again, progress_));
  EXPECT_TRUE(again.log.empty());
  EXPECT_EQ(design_.bed_voltages, voltages);

  // Confirming a dialog sets the flag: the next use recomputes for the new place.
  design_.bed_stale = 1;
  EXPECT_TRUE(RefreshBedModelInWindow(design_, again, progress_));
  EXPECT_EQ(design_.bed_stale, 0);
  EXPECT_EQ(again.log, kBusyProtocol);
  EXPECT_NE(design_.bed_voltages[2], voltages[2]);
}

TEST_F(BedModelTest, ACancelledRefreshLeavesTheFlagSet) {
  FillResults();
  const auto voltages = design_.bed_voltages;
  progress_.cancel_after = 1;
  EXPECT_FALSE(RefreshBedModel(design_, progress_));
  EXPECT_EQ(design_.bed_stale, 1);
  EXPECT_EQ(design_.bed_voltages, voltages);

  FakeProgress progress;
  EXPECT_TRUE(RefreshBedModel(design_, progress));
  EXPECT_EQ(design_.bed_stale, 0);
  EXPECT_TRUE(MatchesPrinted(design_.bed_voltages[2].imag(), "0.00787816"));
}

}  // namespace
}  // namespace orvendi
