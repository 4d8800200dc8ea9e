// Position algorithm 3: the model fit.
//
// The unknowns are the position and the sensor axis. The axis is carried as two tangent
// coordinates (a, b) around the start axis u0, u = (u0 + a e1 + b e2) / |...|, so that an
// upright sensor, where the azimuth turns nothing, is no singular point of the fit.
#include "core/position/algorithm3.h"

#include <ceres/tiny_solver.h>

#include <algorithm>
#include <cmath>


namespace orvendi {

namespace {

double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct FitFunction {
  using Scalar = double;
  enum { NUM_RESIDUALS = 9, NUM_PARAMETERS = 5 };

  const SensorFieldModel* model = nullptr;
  SensorFrame frame;
  std::array<double, 9> per_dipole{};  // 1 / dipole coefficient of each coil's generator
  const std::array<double, 9>* measured = nullptr;

  Vector3 Axis(double a, double b, double& length) const {
    length = std::sqrt(1.0 + a * a + b * b);
    return {(frame.axis.x + a * frame.e1.x + b * frame.e2.x) / length,
            (frame.axis.y + a * frame.e1.y + b * frame.e2.y) / length,
            (frame.axis.z + a * frame.e1.z + b * frame.e2.z) / length};
  }

  bool operator()(const double* p, double* residuals, double* jacobian) const {
    double length = 1.0;
    const Vector3 u = Axis(p[3], p[4], length);
    const Vector3 point{p[0], p[1], p[2]};
    // The solver evaluates an accepted trial point once more, now with the Jacobian.
    if (!cached_ || !(point == cached_point_)) {
      cached_field_ = model->FieldsAt(point);
      cached_point_ = point;
      cached_ = true;
    }
    const std::array<Vector3, 9>& field = cached_field_;
    for (int k = 0; k < 9; ++k) residuals[k] = Dot(u, field[k]) * per_dipole[k] - (*measured)[k];
    if (jacobian == nullptr) return true;

    const double l2 = length * length;
    const Vector3 du_da{frame.e1.x / length - u.x * p[3] / l2, frame.e1.y / length - u.y * p[3] / l2,
                        frame.e1.z / length - u.z * p[3] / l2};
    const Vector3 du_db{frame.e2.x / length - u.x * p[4] / l2, frame.e2.y / length - u.y * p[4] / l2,
                        frame.e2.z / length - u.z * p[4] / l2};
    // Column-major, 9 rows.
    SensorFieldModel::Gradients gradient;
    model->GradientAt(point, gradient);
    for (int a = 0; a < 3; ++a) {
      for (int k = 0; k < 9; ++k) jacobian[9 * a + k] = Dot(u, gradient[a][k]) * per_dipole[k];
    }
    for (int k = 0; k < 9; ++k) {
      jacobian[27 + k] = Dot(du_da, field[k]) * per_dipole[k];
      jacobian[36 + k] = Dot(du_db, field[k]) * per_dipole[k];
    }
    return true;
  }

 private:
  mutable bool cached_ = false;
  mutable Vector3 cached_point_;
  mutable std::array<Vector3, 9> cached_field_;
};

}  // namespace

int EstimatePosition3(const SensorFieldModel& model, const std::array<double, 3>& dipole_coefficients,
                      Algorithm2Work& work, const std::array<double, 9>& n, double& x, double& y, double& z, double& theta, double& phi, int* iterations) {
  if (iterations != nullptr) *iterations = 0;
  const DesignRecord& design = model.design();
  double sx = 0.0, sy = 0.0, sz = -1.0, st = 0.0, sp = 0.0;
  if (EstimatePosition2(work, n, sx, sy, sz, st, sp) != 1 || !std::isfinite(sx + sy + sz + st + sp)) {
    sx = (design.generators[0].x + design.generators[1].x + design.generators[2].x) / 3.0;
    sy = (design.generators[0].y + design.generators[1].y + design.generators[2].y) / 3.0;
    sz = kFitFallbackHeight;
    st = 0.0;
    sp = 0.0;
  }

  FitFunction function;
  function.model = &model;
  function.frame = FrameOf(st, sp);
  function.measured = &n;
  for (int g = 0; g < kGeneratorCount; ++g) {
    for (int a = 0; a < 3; ++a) function.per_dipole[3 * g + a] = 1.0 / dipole_coefficients[g];
  }
  for (double v : function.per_dipole) {
    if (!std::isfinite(v)) return 0;
  }

  ceres::TinySolver<FitFunction> solver;
  // Only the step size ends the fit: cost and gradient scales differ from design to design.
  solver.options.max_num_iterations = kFitMaxIterations;
  solver.options.parameter_tolerance = kFitStepTolerance;
  solver.options.gradient_tolerance = 0.0;
  solver.options.function_tolerance = 0.0;
  solver.options.cost_threshold = 0.0;
  Eigen::Matrix<double, 5, 1> p;
  p << sx, sy, sz, 0.0, 0.0;
  const auto& summary = solver.Solve(function, &p);
  if (iterations != nullptr) *iterations = summary.iterations;
  if (summary.status == ceres::TinySolver<FitFunction>::HIT_MAX_ITERATIONS) return 0;
  if (!(p(2) > 0.0) || !std::isfinite(p(0) + p(1) + p(3) + p(4))) return 0;

  double length = 1.0;
  const Vector3 u = function.Axis(p(3), p(4), length);
  x = p(0);
  y = p(1);
  z = p(2);
  theta = std::acos(std::clamp(u.z, -1.0, 1.0));
  phi = std::atan2(u.y, u.x);
  return 1;
}

}  // namespace orvendi
