#include "core/field/eddy_sheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>
#include <vector>

#include "core/field/coil_field.h"
#include "core/field/field_constants.h"
#include "core/field/sheet_inductance.h"

namespace orvendi {
namespace {

using Complex = std::complex<double>;

constexpr double kAluminium = 2.9e-5;  // ohms per square, 1 mm

// One ideal vertical dipole under (or over) a square sheet of n x n cells, side `side`, at height
// sheet_z; the dipole is generator 0's z coil at the origin.
DesignRecord DipoleAndSheet(double side, int n, double sheet_z, double frequency_hz) {
  DesignRecord d;
  ApplyDesignDefaults(d);
  for (auto& g : d.generators) g.real_dipole = 0;
  d.generators[0].x = d.generators[0].y = d.generators[0].z = 0.0;
  d.bed_x1 = d.bed_y1 = -0.5 * side;
  d.bed_x2 = d.bed_y2 = 0.5 * side;
  d.bed_z1 = d.bed_z2 = sheet_z;
  d.bed_cells_x = d.bed_cells_y = n;
  d.frequency_hz = frequency_hz;
  return d;
}

EddySheet Solve(const DesignRecord& d, double ohms) {
  EddySheet sheet;
  EXPECT_EQ(SolveEddySheet(d, ohms, nullptr, sheet), SheetStatus::kSolved);
  return sheet;
}

double Norm(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Where the dipole rule takes over it agrees with the filament formula.
TEST(SheetInductanceTest, DipoleRuleMatchesTheFilamentFormulaWhereItTakesOver) {
  struct Case {
    double dx, dy;
    int di, dj;
  };
  for (const Case c : {Case{0.02, 0.02, 21, 0}, Case{0.02, 0.02, 15, 15}, Case{0.03, 0.01, 21, 1}}) {
    EXPECT_NEAR(MeshInductanceDipole(c.dx, c.dy, c.di, c.dj) / MeshInductanceExact(c.dx, c.dy, c.di, c.dj), 1.0,
                0.005)
        << c.di << "," << c.dj;
  }
}

// Low frequency: I = -j omega R^-1 Phi, in quadrature, proportional to omega, opposing the flux.
TEST(EddySheetTest, LowFrequencyCurrentsAreQuadratureProportionalToOmegaAndOpposing) {
  const DesignRecord d1 = DipoleAndSheet(0.5, 10, 0.1, 0.01);
  DesignRecord d2 = d1;
  d2.frequency_hz = 0.02;
  const EddySheet s1 = Solve(d1, kAluminium);
  const EddySheet s2 = Solve(d2, kAluminium);
  for (int k = 0; k < kCoilCount; ++k) {
    double in_phase = 0.0, quadrature = 0.0, opposing = 0.0, ratio_error = 0.0, largest = 0.0;
    for (std::size_t c = 0; c < s1.currents[k].size(); ++c) {
      const Complex i1 = s1.currents[k][c];
      in_phase = std::fmax(in_phase, std::fabs(i1.real()));
      quadrature = std::fmax(quadrature, std::fabs(i1.imag()));
      opposing += s1.source_flux[k][c] * i1.imag();
      ratio_error = std::fmax(ratio_error, std::abs(s2.currents[k][c] - 2.0 * i1));
      largest = std::fmax(largest, std::abs(i1));
    }
    EXPECT_LT(in_phase, 1e-3 * quadrature) << "coil " << k;
    EXPECT_LT(ratio_error, 1e-3 * largest) << "coil " << k;
    EXPECT_LT(opposing, 0.0) << "coil " << k;
  }
}

// High frequency: the sheet expels the flux through every cell and its currents come in phase.
TEST(EddySheetTest, HighFrequencyExpelsTheFluxAndCurrentsComeInPhase) {
  const EddySheet sheet = Solve(DipoleAndSheet(0.5, 10, 0.1, 1e8), kAluminium);
  for (int k = 0; k < kCoilCount; ++k) {
    double source = 0.0;
    for (const double f : sheet.source_flux[k]) source = std::fmax(source, std::fabs(f));
    double left = 0.0;
    for (const Complex f : TotalCellFlux(sheet, k)) left = std::fmax(left, std::abs(f));
    EXPECT_LT(left, 1e-4 * source) << "coil " << k;
    double in_phase = 0.0, quadrature = 0.0;
    for (const Complex i : sheet.currents[k]) {
      in_phase = std::fmax(in_phase, std::fabs(i.real()));
      quadrature = std::fmax(quadrature, std::fabs(i.imag()));
    }
    EXPECT_LT(quadrature, 1e-3 * in_phase) << "coil " << k;
  }
}

// The thin infinite sheet over a vertical dipole m at height h (sheet at z = 0), from its Hankel
// transform with the reflection coefficient r(k) = j omega mu0 G / (2k + j omega mu0 G):
//   Bz = -c int r k^2 e^(-k (h + |z|)) J0(k rho) dk,  Brho = -+c int r k^2 e^(-k (h + |z|)) J1(k rho) dk
// (upper sign on the source side), c = mu0 m / 4 pi.
ComplexVector3 InfiniteSheetField(double c, double h, double omega, double ohms, const Vector3& p) {
  const double a = omega * kMu0 / ohms;
  const double depth = h + std::fabs(p.z);
  const double rho = std::hypot(p.x, p.y);
  const double top = 60.0 / depth;
  constexpr int kSteps = 8000;
  Complex bz = 0.0, brho = 0.0;
  for (int s = 0; s <= kSteps; ++s) {
    const double k = top * s / kSteps;
    const double weight = (s == 0 || s == kSteps) ? 1.0 : (s % 2 == 1 ? 4.0 : 2.0);
    const Complex r = Complex(0.0, a) / (2.0 * k + Complex(0.0, a));
    const Complex common = weight * r * k * k * std::exp(-k * depth);
    bz += common * std::cyl_bessel_j(0.0, k * rho);
    brho += common * std::cyl_bessel_j(1.0, k * rho);
  }
  const double step = top / kSteps / 3.0;
  bz *= -c * step;
  brho *= (p.z > 0.0 ? -c : c) * step;
  const double cx = rho > 0.0 ? p.x / rho : 0.0;
  const double cy = rho > 0.0 ? p.y / rho : 0.0;
  return {{(brho * cx).real(), (brho * cy).real(), bz.real()}, {(brho * cx).imag(), (brho * cy).imag(), bz.imag()}};
}

// Cells of 0.04 m (h / 2.5) on a 1.2 m sheet keep within 2.5 %; cells of 0.06 m reach 5 %, and a
// 0.8 m sheet is too small at 50 Hz, where the currents spread over 2 / (omega mu0 G) = 0.15 m.
TEST(EddySheetTest, DipoleOverALargeSheetAgreesWithTheInfiniteSheet) {
  constexpr double kHeight = 0.1;
  constexpr double kSide = 1.2;
  constexpr int kCells = 30;
  for (const double frequency : {50.0, 5000.0}) {
    // The dipole above the sheet: the sheet at z = 0 and the generator at kHeight.
    DesignRecord d = DipoleAndSheet(kSide, kCells, 0.0, frequency);
    d.generators[0].z = kHeight;
    const EddySheet sheet = Solve(d, kAluminium);
    const double c = 0.5 * CoilField(d.generators[0], 2, {0.0, 0.0, kHeight + 1.0}).z;
    const double omega = frequency * kTwoPi;
    double worst = 0.0;
    for (const double z : {0.05, 0.1, -0.05, -0.1}) {
      for (const double rho : {0.0, 0.1, 0.2}) {
        for (const double angle : {0.0, 0.7}) {
          const Vector3 p{rho * std::cos(angle), rho * std::sin(angle), z};
          const ComplexVector3 expected = InfiniteSheetField(c, kHeight, omega, kAluminium, p);
          const ComplexVector3 got = SheetField(sheet, p)[2];
          const Vector3 dre{got.re.x - expected.re.x, got.re.y - expected.re.y, got.re.z - expected.re.z};
          const Vector3 dim{got.im.x - expected.im.x, got.im.y - expected.im.y, got.im.z - expected.im.z};
          const double diff = std::hypot(Norm(dre), Norm(dim)) / std::hypot(Norm(expected.re), Norm(expected.im));
          EXPECT_LT(diff, 0.05) << frequency << " Hz at " << p.x << ", " << p.y << ", " << p.z;
          worst = std::fmax(worst, diff);
        }
      }
    }
    std::printf("infinite sheet: %.1f m sheet, %d x %d cells of %.3f m, dipole %.2f m above, %.0f Hz, %.2g ohms "
                "per square: worst relative difference %.4f\n",
                kSide, kCells, kCells, kSide / kCells, kHeight, frequency, kAluminium, worst);
  }
}

TEST(EddySheetTest, BadInputIsRefusedAndCancelLeavesTheSheet) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double ohms, frequency;
    int cells;
    double side;
    SheetStatus status;
  };
  EddySheet sheet;
  for (const Case c : {Case{0.0, 1e3, 4, 0.5, SheetStatus::kInvalid}, Case{nan, 1e3, 4, 0.5, SheetStatus::kInvalid},
                       Case{inf, 1e3, 4, 0.5, SheetStatus::kInvalid}, Case{1.0, inf, 4, 0.5, SheetStatus::kInvalid},
                       Case{1.0, -1.0, 4, 0.5, SheetStatus::kInvalid}, Case{1.0, 1e3, 0, 0.5, SheetStatus::kInvalid},
                       Case{1.0, 1e3, 4, 0.0, SheetStatus::kInvalid}, Case{1.0, 1e3, 51, 0.5, SheetStatus::kTooManyCells}}) {
    EXPECT_EQ(SolveEddySheet(DipoleAndSheet(c.side, c.cells, 0.1, c.frequency), c.ohms, nullptr, sheet), c.status)
        << c.ohms << " ohms, " << c.frequency << " Hz, " << c.cells << " cells, " << c.side << " m";
  }
  const DesignRecord good = DipoleAndSheet(0.5, 4, 0.1, 1000.0);
  int reports = 0;
  EXPECT_EQ(SolveEddySheet(good, kAluminium, [&](double) { return ++reports < 3; }, sheet), SheetStatus::kCancelled);
  EXPECT_TRUE(sheet.currents[0].empty());
  double last = 0.0;
  EXPECT_EQ(SolveEddySheet(good, kAluminium, [&](double s) { return (last = s) >= 0.0; }, sheet), SheetStatus::kSolved);
  EXPECT_EQ(last, 1.0);
}

}  // namespace
}  // namespace orvendi
