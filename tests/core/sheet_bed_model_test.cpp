#include "core/field/sheet_bed_model.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "core/field/bed_model.h"
#include "core/field/eddy_sheet.h"
#include "core/platform/progress.h"
#include "core/position/calculation.h"

namespace orvendi {
namespace {

DesignRecord SheetDesign() {
  DesignRecord d;
  ApplyDesignDefaults(d);
  d.bed_model = 1;
  d.include_bed_currents = 1;
  d.bed_cells_x = d.bed_cells_y = 10;
  return d;
}

std::array<double, 9> Responses(const DesignRecord& d, const Vector3& p) {
  NoiseSource noise;
  std::array<double, 9> n;
  NormalisedResponses(d, noise, p, n);
  return n;
}

// The voltages carry the sheet's in-phase field with the induction sensor; dividing by the
// sensitivity cancels it, the sensor axis being z.
TEST(SheetBedModelTest, CalculationAddsTheInPhaseSheetField) {
  DesignRecord d = SheetDesign();
  d.sensor_model = 1;
  NoProgress host;
  ASSERT_TRUE(ComputeBedModel(d, host));
  const std::shared_ptr<const EddySheet> solved = CachedSheet(d);
  ASSERT_TRUE(solved);
  DesignRecord without = d;
  without.include_bed_currents = 0;
  const Vector3 p{0.05, -0.02, 0.3};
  const std::array<double, 9> with_bed = Responses(d, p);
  const std::array<double, 9> plain = Responses(without, p);
  const auto sheet = SheetField(*solved, p);
  for (int k = 0; k < kCoilCount; ++k) {
    const double expected = sheet[k].re.z / DipoleCoefficient(d.generators[k / 3]);
    EXPECT_NEAR(with_bed[k] - plain[k], expected, 1e-9 * std::fabs(expected) + 1e-15) << k;
  }
  // Noise stays in volts: a tenth of the frequency gives ten times the noise in the responses.
  without.noise_peak_v = 1e-3;
  DesignRecord slow = without;
  slow.frequency_hz = without.frequency_hz / 10.0;
  const std::array<double, 9> noisy = Responses(without, p), slow_noisy = Responses(slow, p);
  without.noise_peak_v = slow.noise_peak_v = 0.0;
  const std::array<double, 9> quiet = Responses(without, p), slow_quiet = Responses(slow, p);
  for (int k = 0; k < kCoilCount; ++k)
    EXPECT_NEAR((slow_noisy[k] - slow_quiet[k]) / (noisy[k] - quiet[k]), 10.0, 1e-6) << k;
}

// A moved bed or a sheet pushed out of the store is solved again before a run, to the same numbers.
TEST(SheetBedModelTest, CancelKeepsTheResultsAndAMissingSheetIsSolvedAgain) {
  DesignRecord d = SheetDesign();
  ASSERT_TRUE(ComputeSheetBedModel(d, nullptr));
  const DesignRecord before = d;
  d.frequency_hz *= 2.0;
  EXPECT_FALSE(ComputeSheetBedModel(d, [](double) { return false; }));
  EXPECT_EQ(d.bed_currents, before.bed_currents);
  EXPECT_FALSE(CachedSheet(d));
  d.bed_stale = 0;
  NoProgress host;
  ASSERT_TRUE(RefreshBedModel(d, host));
  ASSERT_TRUE(CachedSheet(d));
  EXPECT_EQ(CachedSheet(d)->currents, SheetFor(d)->currents);
}

// The run's quadrature share at one point of the default grid, for a sheet of `ohms` per square.
double Distortion(DesignRecord d, double frequency_hz, double ohms) {
  d.frequency_hz = frequency_hz;
  d.bed_sheet_ohms_per_square = ohms;
  d.sensor_theta_rad = 0.4;
  d.bed_stale = 1;
  ResultBuffer results;
  CalculationWork work;
  NoProgress progress;
  CalculateCommand(d, results, work, progress);
  EXPECT_EQ(d.results_valid, 1);
  return *results.Distortion(1, 3);
}

// The sheet's currents are j omega times the flux at low frequency (quadrature, so the share
// grows as f) and come in phase at high frequency (the share falls as 1/f); without the bed in
// the run there is no quadrature at all.
TEST(SheetBedModelTest, DistortionFollowsTheSheetsFrequencyLimits) {
  const DesignRecord d = SheetDesign();
  const double low = Distortion(d, 1.0, 1.0);
  EXPECT_GT(low, 0.0);
  EXPECT_NEAR(Distortion(d, 10.0, 1.0) / low, 10.0, 0.1);
  const double high = Distortion(d, 1e7, 1e-3);
  EXPECT_NEAR(high / Distortion(d, 1e8, 1e-3), 10.0, 0.5);
  DesignRecord plain = d;
  plain.include_bed_currents = 0;
  EXPECT_EQ(Distortion(plain, 1e3, 1e-3), 0.0);
}

}  // namespace
}  // namespace orvendi
