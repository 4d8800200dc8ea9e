#pragma once

#include <array>
#include <memory>

#include "core/design/design_record.h"
#include "core/field/eddy_sheet.h"
#include "core/field/loop_geometry.h"
#include "core/field/vector3.h"

namespace orvendi {

// The fields the sensor sees from the nine coils, as the calculation run forms them: coil model
// of each generator, plus the bed's field for each coil's current when the design includes it
// (the outline loop's, or the in-phase part of the sheet's).
class SensorFieldModel {
 public:
  explicit SensorFieldModel(const DesignRecord& design);
  // With the design's solved sheet given (null: none), as a run that fetched it once passes it.
  SensorFieldModel(const DesignRecord& design, const EddySheet* sheet);

  // Field (T) of coils 0 .. 8 (coil order) at a point, to the bit as the coil and bed fields
  // sum them; the bed's quadrature part in `quadrature` when given (zero without a bed).
  std::array<Vector3, 9> FieldsAt(const Vector3& point) const;
  std::array<Vector3, 9> FieldsAt(const Vector3& point, std::array<Vector3, 9>* quadrature) const;

  // The fields again, and the derivatives by x, y and z of each field's component along `axis`
  // (what a sensor on that axis sees of it): slope[k] for coil k, when `slope` is given. In
  // closed form for the coils and either bed model, the fields equalling FieldsAt's to rounding.
  // Fit and bound take both from here, so that they come from one model.
  void FieldsAndSlopes(const Vector3& point, const Vector3& axis, std::array<Vector3, 9>& field,
                       std::array<Vector3, 9>* slope) const;
  // The derivatives by x, y and z of every coil's field, derivative[a][k] by axis a, all by
  // central differences of FieldsAt, to check the closed forms by.
  using Gradients = std::array<std::array<Vector3, 9>, 3>;
  void GradientByDifferences(const Vector3& point, Gradients& derivative) const;

  // Step (m) of the central differences. The fields vary over the ranges to the coils and the bed
  // edges, centimetres at least, so the truncation error ((h/r)^2, about 1e-10) and the rounding
  // error (epsilon r / h, about 1e-11) stay far below the noise any design sets.
  static constexpr double kDifferenceStep = 1e-6;

  const DesignRecord& design() const { return *design_; }

 private:
  const DesignRecord* design_;
  // A real coil's sides do not depend on the field point; they are formed once.
  struct RealCoil {
    bool in_use = false;
    bool has_corners = false;
    LoopSides sides{};
    LoopArrays arrays{};
    double strength = 0.0;
  };
  std::array<RealCoil, 9> real_{};
  bool with_bed_ = false;
  LoopSides bed_sides_{};
  LoopArrays bed_arrays_{};
  std::array<double, 9> bed_strength_{};
  std::array<double, 9> bed_quadrature_strength_{};
  std::shared_ptr<const EddySheet> owned_sheet_;
  const EddySheet* sheet_ = nullptr;
};

// The sensor axis for polar angle theta and azimuth phi, and two unit vectors at right angles to
// it: the theta direction and the azimuth direction. The pair spans the axis's two degrees of
// freedom also at the poles (theta = 0 or pi), where the azimuth alone turns nothing.
struct SensorFrame {
  Vector3 axis, e1, e2;
};
SensorFrame FrameOf(double theta, double phi);

}  // namespace orvendi
