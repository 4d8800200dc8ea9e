#include "core/position/sensor_field_model.h"

#include <cmath>

#include "core/field/bed_field.h"
#include "core/field/coil_field.h"
#include "core/field/sheet_bed_model.h"

namespace orvendi {

SensorFieldModel::SensorFieldModel(const DesignRecord& design) : SensorFieldModel(design, nullptr) {
  if (with_bed_ && design.bed_model == 1) {
    owned_sheet_ = SheetFor(design);
    sheet_ = owned_sheet_.get();
  }
}

SensorFieldModel::SensorFieldModel(const DesignRecord& design, const EddySheet* sheet)
    : design_(&design), with_bed_(design.include_bed_currents != 0), sheet_(sheet) {
  for (int g = 0; g < kGeneratorCount; ++g) {
    if (design.generators[g].real_dipole == 0) continue;
    for (int a = 0; a < 3; ++a) {
      RealCoil& coil = real_[3 * g + a];
      coil.in_use = true;
      LoopCorners corners;
      coil.has_corners = SquareCoilCorners(design.generators[g].coils[a], corners);
      if (!coil.has_corners) continue;
      coil.sides = MakeLoopSides(corners);
      coil.arrays = MakeLoopArrays(coil.sides);
      coil.strength = CoilStrength(design.generators[g].coils[a]);
    }
  }
  if (!with_bed_) return;
  if (design.bed_model == 1) return;
  bed_sides_ = MakeLoopSides(BedLoopCorners(design));
  bed_arrays_ = MakeLoopArrays(bed_sides_);
  for (int k = 0; k < kCoilCount; ++k) {
    bed_strength_[k] = BedStrength(BedCurrentMagnitude(design.bed_currents[k]));
    bed_quadrature_strength_[k] = BedStrength(design.bed_currents[k].imag());
  }
}

std::array<Vector3, 9> SensorFieldModel::FieldsAt(const Vector3& point) const { return FieldsAt(point, nullptr); }

std::array<Vector3, 9> SensorFieldModel::FieldsAt(const Vector3& point, std::array<Vector3, 9>* quadrature) const {
  if (quadrature != nullptr) quadrature->fill({});
  std::array<Vector3, 9> field;
  for (int g = 0; g < kGeneratorCount; ++g) {
    for (int a = 0; a < 3; ++a) {
      const RealCoil& coil = real_[3 * g + a];
      // The same sums as CoilField, to the bit.
      if (!coil.in_use) {
        field[3 * g + a] = IdealDipoleField(design_->generators[g], a, point);
      } else {
        field[3 * g + a] = coil.has_corners ? FieldOfLoop(ShapesOfLoop(coil.sides, point), coil.strength) : Vector3{};
      }
    }
  }
  if (with_bed_ && design_->bed_model == 1) {
    // A synchronous detector referenced to the coil current sees the in-phase part only.
    if (sheet_) {
      const std::array<ComplexVector3, kCoilCount> sheet = SheetField(*sheet_, point);
      for (int k = 0; k < kCoilCount; ++k) {
        field[k] += sheet[k].re;
        if (quadrature != nullptr) (*quadrature)[k] = sheet[k].im;
      }
    }
  } else if (with_bed_) {
    // One bed geometry at the point serves all nine currents.
    const LoopShapes bed = ShapesOfLoop(bed_sides_, point);
    for (int k = 0; k < kCoilCount; ++k) {
      field[k] += FieldOfLoop(bed, bed_strength_[k]);
      if (quadrature != nullptr) (*quadrature)[k] = FieldOfLoop(bed, bed_quadrature_strength_[k]);
    }
  }
  return field;
}

namespace {

Vector3 Scaled(const Vector3& v, double factor) { return {v.x * factor, v.y * factor, v.z * factor}; }
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

void SensorFieldModel::FieldsAndSlopes(const Vector3& point, const Vector3& axis, std::array<Vector3, 9>& field,
                                       std::array<Vector3, 9>* slopes) const {
  // Without slopes asked for they go to a scratch array the compiler can drop.
  std::array<Vector3, 9> unused;
  std::array<Vector3, 9>& slope = slopes != nullptr ? *slopes : unused;
  const bool with_slope = slopes != nullptr;
  for (int g = 0; g < kGeneratorCount; ++g) {
    for (int a = 0; a < 3; ++a) {
      const int k = 3 * g + a;
      const RealCoil& coil = real_[k];
      if (!coil.in_use) {
        field[k] = IdealDipoleField(design_->generators[g], a, point);
        if (!with_slope) continue;
        const std::array<Vector3, 3> gradient = IdealDipoleGradient(design_->generators[g], a, point);
        slope[k] = {Dot(axis, gradient[0]), Dot(axis, gradient[1]), Dot(axis, gradient[2])};
      } else if (coil.has_corners) {
        const LoopFieldSlope loop = LoopFieldAndSlope(coil.arrays, point, axis, with_slope);
        field[k] = Scaled(loop.field, coil.strength);
        slope[k] = Scaled(loop.slope, coil.strength);
      } else {
        field[k] = {};
        slope[k] = {};
      }
    }
  }
  if (with_bed_ && design_->bed_model == 1) {
    if (!sheet_) return;
    if (!with_slope) {
      const std::array<ComplexVector3, kCoilCount> sheet = SheetField(*sheet_, point);
      for (int k = 0; k < kCoilCount; ++k) field[k] += sheet[k].re;
      return;
    }
    std::array<Vector3, kCoilCount> sheet_field, sheet_slope;
    SheetInPhaseFieldAndSlope(*sheet_, point, axis, sheet_field, sheet_slope);
    for (int k = 0; k < kCoilCount; ++k) {
      field[k] += sheet_field[k];
      slope[k] += sheet_slope[k];
    }
  } else if (with_bed_) {
    const LoopFieldSlope bed = LoopFieldAndSlope(bed_arrays_, point, axis, with_slope);
    for (int k = 0; k < kCoilCount; ++k) {
      field[k] += Scaled(bed.field, bed_strength_[k]);
      slope[k] += Scaled(bed.slope, bed_strength_[k]);
    }
  }
}

void SensorFieldModel::GradientByDifferences(const Vector3& point, Gradients& derivative) const {
  constexpr double h = kDifferenceStep;
  for (int a = 0; a < 3; ++a) {
    Vector3 plus = point, minus = point;
    (a == 0 ? plus.x : a == 1 ? plus.y : plus.z) += h;
    (a == 0 ? minus.x : a == 1 ? minus.y : minus.z) -= h;
    const std::array<Vector3, 9> up = FieldsAt(plus);
    const std::array<Vector3, 9> down = FieldsAt(minus);
    for (int k = 0; k < kCoilCount; ++k) {
      derivative[a][k] = {(up[k].x - down[k].x) / (2 * h), (up[k].y - down[k].y) / (2 * h),
                          (up[k].z - down[k].z) / (2 * h)};
    }
  }
}

SensorFrame FrameOf(double theta, double phi) {
  const double st = std::sin(theta), ct = std::cos(theta), sp = std::sin(phi), cp = std::cos(phi);
  return {{st * cp, st * sp, ct}, {ct * cp, ct * sp, -st}, {-sp, cp, 0.0}};
}

}  // namespace orvendi
