#include "core/position/calculation.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "core/field/bed_field.h"
#include "core/field/coil_field.h"
#include "core/dialogs/window_runs.h"
#include "core/platform/progress.h"
#include "support/fake_host.h"
#include "support/fake_progress.h"
#include "support/ideal_responses.h"
#include "core/views/view_state.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

using testing::Distance;
using testing::FakeHost;
using testing::FakeProgress;
using testing::IdealResponses;
using testing::kDefaultGenerators;
using testing::SensorAxis;

void UseIdealDipoles(DesignRecord& design) {
  design.dipole_type = 0;
  for (GeneratorRecord& g : design.generators) g.real_dipole = 0;
}

// Bit-for-bit equality of every slot, NaN included.
bool SameBuffer(const ResultBuffer& a, const ResultBuffer& b) {
  for (int i = 0; i < ResultBuffer::kStride; ++i) {
    for (int j = 0; j < ResultBuffer::kStride; ++j) {
      for (int c = 0; c < 3; ++c) {
        if (std::bit_cast<std::uint64_t>(a.Slot(i, j)[c]) != std::bit_cast<std::uint64_t>(b.Slot(i, j)[c])) {
          return false;
        }
      }
    }
  }
  return true;
}

bool NoEstimate(const double* slot) {
  return std::isnan(slot[0]) && std::isnan(slot[1]) && std::isnan(slot[2]);
}

ResultBuffer RunCalculation(DesignRecord& design, CalculationWork& work) {
  ResultBuffer results;
  NoProgress progress;
  CalculateCommand(design, results, work, progress);
  return results;
}

ResultBuffer RunCalculation(DesignRecord& design) {
  CalculationWork work;
  return RunCalculation(design, work);
}

// --- The simulated measurement ---------------------------------------------------------------------

TEST(NormalisedResponses, IdealDipoleResponsesAreTheUnitMomentField) {
  DesignRecord design = DefaultDesign();
  UseIdealDipoles(design);
  design.sensor_theta_rad = 0.3;
  design.sensor_phi_rad = 1.0;
  for (const Vector3& p : {Vector3{0.1, -0.05, 0.4}, Vector3{-0.2, 0.2, 0.15}, Vector3{0.0, 0.0, -0.3}}) {
    NoiseSource noise;
    std::array<double, 9> n;
    NormalisedResponses(design, noise, p, n);
    const auto expected = IdealResponses(kDefaultGenerators, p, SensorAxis(0.3, 1.0));
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(n[k], expected[k], 1e-12 * std::fabs(expected[k]) + 1e-12) << k;
  }
}

TEST(NormalisedResponses, BedCurrentsAddTheFieldOfTheirModulus) {
  DesignRecord design = DefaultDesign();
  design.include_bed_currents = 1;
  design.sensor_theta_rad = 0.8;
  design.sensor_phi_rad = 2.5;
  design.offset_v = 1e-4;
  // Purely imaginary currents, so that the modulus is exactly the magnitude of the imaginary part.
  for (int k = 0; k < 9; ++k) design.bed_currents[k] = Phasor(0.0, k % 2 == 0 ? 0.002 * (k + 1) : -0.003 * k);
  const double s = design.sensor_sensitivity_v_per_t;
  const double ux = s * (std::sin(0.8) * std::cos(2.5)), uy = s * (std::sin(0.8) * std::sin(2.5));
  const double uz = s * std::cos(0.8);
  // Ordinary points, and points on the bed's plane on the lines through its sides.
  for (const Vector3& p : {Vector3{0.05, 0.1, 0.3}, Vector3{-0.3, 0.45, 0.6}, Vector3{0.7, -0.5, 0.1},
                           Vector3{-0.5, 0.2, 0.1}, Vector3{0.5, 0.5, 0.1}}) {
    NoiseSource noise;
    std::array<double, 9> n;
    NormalisedResponses(design, noise, p, n);
    for (int k = 0; k < 9; ++k) {
      Vector3 b = CoilField(design.generators[k / 3], k % 3, p);
      b += BedField(design, p, std::fabs(design.bed_currents[k].imag()));
      const double v = ux * b.x + uy * b.y + uz * b.z + design.offset_v;
      // The run shares the bed loop's geometry between the nine coils; the sums stay BedField's.
      EXPECT_EQ(n[k], v / (s * DipoleCoefficient(design.generators[k / 3]))) << k;
    }
  }
}

TEST(NormalisedResponses, OnlyTheModulusOfABedCurrentCounts) {
  DesignRecord design = DefaultDesign();
  design.include_bed_currents = 1;
  std::array<double, 9> plus, minus, rotated;
  NoiseSource noise;
  for (Phasor& c : design.bed_currents) c = Phasor(0.0, 0.000321);
  NormalisedResponses(design, noise, {0.1, 0.2, 0.3}, plus);
  for (Phasor& c : design.bed_currents) c = Phasor(0.0, -0.000321);
  NormalisedResponses(design, noise, {0.1, 0.2, 0.3}, minus);
  for (Phasor& c : design.bed_currents) c = Phasor(0.000321 * 0.6, 0.000321 * 0.8);
  NormalisedResponses(design, noise, {0.1, 0.2, 0.3}, rotated);
  EXPECT_EQ(plus, minus);
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(rotated[k], plus[k], 1e-13 * std::fabs(plus[k]));
}

TEST(NoiseSource, TheClassicSequenceFromAFixedStart) {
  NoiseSource noise;
  const int expected[] = {16838, 5758, 10113, 17515, 31051, 5627, 23010, 7419, 16212, 4086};
  for (int value : expected) EXPECT_EQ(noise.Next(), value);
  NoiseSource other;
  for (int i = 0; i < 100000; ++i) {
    const int v = other.Next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
  }
}

TEST(NoiseSource, NoiseIsUniformOverTheClosedPeakRange) {
  EXPECT_DOUBLE_EQ(NoiseVolts(0, 0.05), -0.05);
  EXPECT_DOUBLE_EQ(NoiseVolts(32767, 0.05), 0.05);
  EXPECT_EQ(NoiseVolts(12345, 0.0), 0.0);

  DesignRecord design = DefaultDesign();
  design.noise_peak_v = 0.05;
  NoiseSource quiet_source, noisy_source;
  std::array<double, 9> quiet, noisy;
  const Vector3 p{0.1, 0.1, 0.4};
  DesignRecord silent = design;
  silent.noise_peak_v = 0.0;
  NormalisedResponses(silent, quiet_source, p, quiet);
  NormalisedResponses(design, noisy_source, p, noisy);
  const double bound = 0.05 / (design.sensor_sensitivity_v_per_t * DipoleCoefficient(design.generators[0]));
  int changed = 0;
  for (int k = 0; k < 9; ++k) {
    EXPECT_LE(std::fabs(noisy[k] - quiet[k]), bound * (1 + 1e-12));
    changed += noisy[k] != quiet[k];
  }
  EXPECT_GT(changed, 0);
}

TEST(CalculateCommand, TheRandomSequenceAdvancesByNinePerPoint) {
  DesignRecord design = DefaultDesign();  // 36 points
  CalculationWork work;
  NoiseSource expected;
  RunCalculation(design, work);
  for (int i = 0; i < 36 * 9; ++i) expected.Next();
  EXPECT_EQ(work.noise, expected);

  design.noise_peak_v = 1e-5;
  const ResultBuffer first = RunCalculation(design, work);
  for (int i = 0; i < 36 * 9; ++i) expected.Next();
  EXPECT_EQ(work.noise, expected);
  // A second run with noise draws different noise.
  const ResultBuffer second = RunCalculation(design, work);
  EXPECT_FALSE(SameBuffer(first, second));
  EXPECT_FALSE(NoEstimate(second.Slot(2, 3)));
}

// --- The run ---------------------------------------------------------------------------------------

TEST(CalculateCommand, DoubledSensitivityChangesNothing) {
  for (int algorithm : {1, 2}) {
    DesignRecord design = DefaultDesign();
    design.algorithm_type = algorithm;
    design.sensor_theta_rad = 0.4;
    const ResultBuffer single = RunCalculation(design);
    design.sensor_sensitivity_v_per_t *= 2;
    EXPECT_TRUE(SameBuffer(single, RunCalculation(design))) << algorithm;
  }
}

TEST(CalculateCommand, PointsBelowTheGeneratorPlaneNeverGetANegativeZ) {
  for (int algorithm : {1, 2}) {
    DesignRecord design = DefaultDesign();
    UseIdealDipoles(design);
    design.algorithm_type = algorithm;
    design.scan_plane_z = -0.3;
    const ResultBuffer results = RunCalculation(design);
    int estimates = 0;
    for (int i = 0; i <= 5; ++i) {
      for (int j = 0; j <= 5; ++j) {
        const double* slot = results.Slot(i, j);
        if (std::isnan(slot[2])) continue;
        ++estimates;
        EXPECT_GE(slot[2], 0.0) << algorithm << " " << i << " " << j;
      }
    }
    EXPECT_GT(estimates, 0) << algorithm;
  }
}

TEST(CalculateCommand, AlgorithmTypeOneSelectsAlgorithmOneAndAnyOtherAlgorithmTwo) {
  for (int type : {1, 2, 7, 0, -3}) {
    DesignRecord design = DefaultDesign();
    design.algorithm_type = type;
    design.sensor_theta_rad = 0.5;
    design.sensor_phi_rad = 2.0;
    const ResultBuffer results = RunCalculation(design);

    Algorithm1Work alg1;
    Algorithm2Work alg2;
    for (int g = 0; g < 3; ++g) {
      alg1.generator_x[g] = alg2.generator_x[g] = design.generators[g].x;
      alg1.generator_y[g] = alg2.generator_y[g] = design.generators[g].y;
    }
    NoiseSource noise;
    ScanState scan;
    ScanStart(scan, design);
    ScanPoint p;
    int differing = 0;
    while (ScanNextAlongFirst(scan, p)) {
      std::array<double, 9> n;
      NormalisedResponses(design, noise, {p.x, p.y, p.z}, n);
      double x1 = NAN, y1 = NAN, z1 = NAN, x2 = NAN, y2 = NAN, z2 = NAN, a, b;
      EstimatePosition1(alg1, n, x1, y1, z1, a, b);
      EstimatePosition2(alg2, n, x2, y2, z2, a, b);
      const double* slot = results.Slot(p.first_index, p.second_index);
      const double ex = type == 1 ? x1 : x2, ey = type == 1 ? y1 : y2, ez = type == 1 ? z1 : z2;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(slot[0]), std::bit_cast<std::uint64_t>(ex));
      EXPECT_EQ(std::bit_cast<std::uint64_t>(slot[1]), std::bit_cast<std::uint64_t>(ey));
      EXPECT_EQ(std::bit_cast<std::uint64_t>(slot[2]), std::bit_cast<std::uint64_t>(ez));
      differing += x1 != x2;
    }
    EXPECT_GT(differing, 0);  // the two algorithms are told apart
  }
}

TEST(CalculateCommand, RunsInTheWindowsBusyStateAndReportsProgressPerRow) {
  DesignRecord design = DefaultDesign();
  ResultBuffer results;
  CalculationWork work;
  FakeHost host;
  FakeProgress progress;
  CalculateInWindow(design, results, work, host, progress);
  EXPECT_EQ(host.log, (std::vector<std::string>{"capture", "wait", "restore", "release",
                                                "invalidate drawing all erase"}));
  EXPECT_EQ(progress.progress_calls, 6);
  EXPECT_EQ(progress.last_progress, 1.0);
  EXPECT_EQ(design.results_valid, 1);
  // The generator positions reach the selected algorithm's work state only.
  EXPECT_EQ(work.alg1.generator_y[0], -0.26);
  EXPECT_EQ(work.alg1.generator_x[2], 0.25);
  EXPECT_EQ(work.alg2.generator_y[0], 0.0);
}

TEST(CalculateCommand, ACancelledRunKeepsThePreviousResults) {
  DesignRecord design = DefaultDesign();
  ResultBuffer results;
  CalculationWork work;
  FakeHost host;
  FakeProgress progress;
  progress.cancel_after = 3;
  CalculateInWindow(design, results, work, host, progress);
  EXPECT_EQ(design.results_valid, 0);
  EXPECT_TRUE(SameBuffer(results, ResultBuffer()));
  EXPECT_EQ(work.noise, NoiseSource());

  progress.cancel_after.reset();
  CalculateInWindow(design, results, work, host, progress);
  ASSERT_EQ(design.results_valid, 1);
  const ResultBuffer before = results;
  const NoiseSource noise_before = work.noise;

  design.noise_peak_v = 0.1;
  design.scan_x_step = 0.05;
  progress.progress_calls = 0;
  progress.cancel_after = 2;
  CalculateInWindow(design, results, work, host, progress);
  EXPECT_TRUE(SameBuffer(results, before));
  EXPECT_EQ(work.noise, noise_before);
  EXPECT_EQ(design.results_valid, 1);
  EXPECT_EQ(host.log.back(), "invalidate drawing all erase");  // the busy state is still undone
}

TEST(CalculateCommand, ACancelledBedModelAbandonsTheRun) {
  DesignRecord design = DefaultDesign();
  design.include_bed_currents = 1;
  ResultBuffer results;
  CalculationWork work;
  FakeHost host;
  FakeProgress progress;
  progress.cancel_after = 1;
  CalculateInWindow(design, results, work, host, progress);
  EXPECT_EQ(design.bed_stale, 1);
  EXPECT_EQ(design.results_valid, 0);
  EXPECT_EQ(progress.progress_calls, 1);  // the run never started
  EXPECT_EQ(host.Count("wait"), 1);
  EXPECT_TRUE(SameBuffer(results, ResultBuffer()));
}

TEST(CalculateCommand, BedResultsAreRefreshedOnlyWhenUsedAndStale) {
  // Not included: a stale bed is left alone.
  DesignRecord design = DefaultDesign();
  FakeHost host;
  FakeProgress progress;
  ResultBuffer results;
  CalculationWork work;
  CalculateInWindow(design, results, work, host, progress);
  EXPECT_EQ(design.bed_stale, 1);
  EXPECT_EQ(design.bed_currents[2], Phasor(0, 0));
  EXPECT_EQ(host.Count("wait"), 1);

  // Included and stale: the bed model runs first, under its own busy state.
  design.include_bed_currents = 1;
  host.log.clear();
  CalculateInWindow(design, results, work, host, progress);
  EXPECT_EQ(design.bed_stale, 0);
  EXPECT_NEAR(design.bed_currents[2].imag(), 0.00196954, 1e-8);
  EXPECT_EQ(host.Count("wait"), 2);

  // Included and not stale: the stored currents are used as they are, without a rerun.
  for (Phasor& c : design.bed_currents) c = Phasor(0.0, -0.05);
  host.log.clear();
  const ResultBuffer with_stored = RunCalculation(design);
  CalculateInWindow(design, results, work, host, progress);
  EXPECT_EQ(host.Count("wait"), 1);
  EXPECT_EQ(design.bed_currents[2], Phasor(0.0, -0.05));
  DesignRecord without = design;
  without.include_bed_currents = 0;
  EXPECT_FALSE(SameBuffer(with_stored, RunCalculation(without)));
  // The first point's estimate is that of the responses with the stored currents' field.
  NoiseSource noise;
  std::array<double, 9> n;
  NormalisedResponses(design, noise, {-0.25, -0.25, 0.4}, n);
  double x = NAN, y = NAN, z = NAN, a, b;
  EstimatePosition1(work.alg1, n, x, y, z, a, b);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(with_stored.Slot(0, 0)[0]), std::bit_cast<std::uint64_t>(x));
}

TEST(CalculateCommand, EveryRunStartsFromAnEmptyBuffer) {
  DesignRecord design = DefaultDesign();
  design.scan_x_step = design.scan_y_step = 0.05;  // 11 x 11 points
  ResultBuffer results;
  CalculationWork work;
  NoProgress progress;
  CalculateCommand(design, results, work, progress);
  EXPECT_FALSE(NoEstimate(results.Slot(10, 10)));

  design.scan_x_step = design.scan_y_step = 0.1;  // 6 x 6 points
  CalculateCommand(design, results, work, progress);
  for (int i = 0; i < ResultBuffer::kStride; ++i) {
    for (int j = 0; j < ResultBuffer::kStride; ++j) {
      if (i > 5 || j > 5) {
        ASSERT_TRUE(NoEstimate(results.Slot(i, j))) << i << " " << j;
      }
    }
  }
  EXPECT_FALSE(NoEstimate(results.Slot(5, 5)));
}

TEST(CalculateCommand, DesignsWithoutASignalGiveNoEstimatesAndNoTrap) {
  const auto all_empty = [](const ResultBuffer& r) {
    for (int i = 0; i <= 5; ++i) {
      for (int j = 0; j <= 5; ++j) {
        if (!NoEstimate(r.Slot(i, j))) return false;
      }
    }
    return true;
  };
  for (int algorithm : {1, 2}) {
    DesignRecord zero_sensitivity = DefaultDesign();
    zero_sensitivity.algorithm_type = algorithm;
    zero_sensitivity.sensor_sensitivity_v_per_t = 0.0;
    EXPECT_TRUE(all_empty(RunCalculation(zero_sensitivity)));
    EXPECT_EQ(zero_sensitivity.results_valid, 1);

    DesignRecord zero_turns = DefaultDesign();
    zero_turns.algorithm_type = algorithm;
    for (GeneratorRecord& g : zero_turns.generators) {
      g.turns = 0;
      for (CoilRecord& c : g.coils) c.turns = 0;
    }
    zero_turns.offset_v = 0.01;
    EXPECT_TRUE(all_empty(RunCalculation(zero_turns)));

    DesignRecord no_resistance = DefaultDesign();
    no_resistance.algorithm_type = algorithm;
    no_resistance.bed_ohms_per_m = 0.0;
    no_resistance.include_bed_currents = 1;
    EXPECT_TRUE(all_empty(RunCalculation(no_resistance)));
  }
}

TEST(CalculateCommand, CollinearGeneratorsGiveNoEstimates) {
  for (int algorithm : {1, 2}) {
    DesignRecord design = DefaultDesign();
    design.algorithm_type = algorithm;
    SetGeneratorPosition(design.generators[0], -0.25, 0.25, 0.0);  // beside the other two
    SetGeneratorPosition(design.generators[2], 0.0, 0.25, 0.0);
    SetGeneratorPosition(design.generators[1], 0.25, 0.25, 0.0);
    const ResultBuffer results = RunCalculation(design);
    EXPECT_TRUE(NoEstimate(results.Slot(0, 0)));
    EXPECT_TRUE(NoEstimate(results.Slot(3, 4)));
  }
}

}  // namespace
}  // namespace orvendi
