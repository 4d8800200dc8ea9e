// Position algorithm 3: the model fit.
//
// The fit starts from algorithm 1's position (algorithm 2's where it has none), the axis that best
// explains the responses there, and refines both against the full field model.
//
// The unknowns are the position and the sensor axis. The axis is carried as two tangent
// coordinates (a, b) around the start axis u0, u = (u0 + a e1 + b e2) / |...|, so that an
// upright sensor, where the azimuth turns nothing, is no singular point of the fit.
#include "core/position/algorithm3.h"

#include <Eigen/Dense>
#include <ceres/tiny_solver.h>

#include <algorithm>
#include <cmath>

#include "core/field/sheet_bed_model.h"


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

  // The fields at a point and the slopes of their components along the axis. The solver
  // evaluates an accepted trial point once more, now with the Jacobian.
  void Evaluate(const Vector3& point, const Vector3& axis) const {
    if (cached_ && point == cached_point_ && axis == cached_axis_) return;
    model->FieldsAndSlopes(point, axis, field_, &slope_);
    cached_ = true;
    cached_point_ = point;
    cached_axis_ = axis;
  }
  // The fields alone, for the start.
  void EvaluateFields(const Vector3& point) const {
    model->FieldsAndSlopes(point, {}, field_, nullptr);
    cached_ = false;  // the slopes no longer go with these fields
  }
  const std::array<Vector3, 9>& field() const { return field_; }

  bool operator()(const double* p, double* residuals, double* jacobian) const {
    double length = 1.0;
    const Vector3 u = Axis(p[3], p[4], length);
    // The slopes also at a trial point: the solver accepts nearly every step and then asks for
    // them there, and one pass costs less than the fields alone and then both.
    Evaluate({p[0], p[1], p[2]}, u);
    for (int k = 0; k < 9; ++k) residuals[k] = Dot(u, field_[k]) * per_dipole[k] - (*measured)[k];
    if (jacobian == nullptr) return true;

    const double l2 = length * length;
    const Vector3 du_da{frame.e1.x / length - u.x * p[3] / l2, frame.e1.y / length - u.y * p[3] / l2,
                        frame.e1.z / length - u.z * p[3] / l2};
    const Vector3 du_db{frame.e2.x / length - u.x * p[4] / l2, frame.e2.y / length - u.y * p[4] / l2,
                        frame.e2.z / length - u.z * p[4] / l2};
    // Column-major, 9 rows.
    for (int k = 0; k < 9; ++k) {
      jacobian[k] = slope_[k].x * per_dipole[k];
      jacobian[9 + k] = slope_[k].y * per_dipole[k];
      jacobian[18 + k] = slope_[k].z * per_dipole[k];
    }
    for (int k = 0; k < 9; ++k) {
      jacobian[27 + k] = Dot(du_da, field_[k]) * per_dipole[k];
      jacobian[36 + k] = Dot(du_db, field_[k]) * per_dipole[k];
    }
    return true;
  }

 private:
  mutable bool cached_ = false;
  mutable Vector3 cached_point_;
  mutable std::array<Vector3, 9> field_;
  mutable Vector3 cached_axis_;
  mutable std::array<Vector3, 9> slope_;
};

// The axis and two unit vectors at right angles to it, as FrameOf gives them for the axis's
// angles, formed without them.
SensorFrame FrameOfAxis(const Vector3& u) {
  const double st = std::sqrt(u.x * u.x + u.y * u.y);
  const double cp = st > 0.0 ? u.x / st : 1.0, sp = st > 0.0 ? u.y / st : 0.0;
  return {u, {u.z * cp, u.z * sp, -st}, {-sp, cp, 0.0}};
}

// The start position: algorithm 1's estimate, or algorithm 2's where it has none. False where
// neither has one.
bool EstimatedStart(Algorithm1Work& work1, Algorithm2Work& work2, const std::array<double, 9>& n, Vector3& start) {
  double x = 0.0, y = 0.0, z = -1.0, angle1 = 0.0, angle2 = 0.0;
  if (EstimatePosition1(work1, n, x, y, z, angle1, angle2) == 1 && std::isfinite(x + y + z)) {
    start = {x, y, z};
    return true;
  }
  if (EstimatePosition2(work2, n, x, y, z, angle1, angle2) == 1 && std::isfinite(x + y + z)) {
    start = {x, y, z};
    return true;
  }
  return false;
}

// The sensor axis that best explains the responses with the position held: the responses are
// linear in the unnormalised axis w, n_k = w . f_k, so w solves the 3 x 3 normal equations.
// Upright where they have no solution.
Vector3 StartAxis(const FitFunction& function) {
  Eigen::Matrix3d normal = Eigen::Matrix3d::Zero();
  Eigen::Vector3d right = Eigen::Vector3d::Zero();
  for (int k = 0; k < 9; ++k) {
    const Vector3& f = function.field()[k];
    const Eigen::Vector3d column(f.x * function.per_dipole[k], f.y * function.per_dipole[k],
                                 f.z * function.per_dipole[k]);
    normal += column * column.transpose();
    right += column * (*function.measured)[k];
  }
  const Eigen::Vector3d w = normal.ldlt().solve(right);
  const double length = w.norm();
  if (!(length > 0.0) || !std::isfinite(length)) return {0.0, 0.0, 1.0};
  return {w(0) / length, w(1) / length, w(2) / length};
}

struct Fit {
  bool found = false;
  double cost = 0.0;
  int iterations = 0;
  Vector3 position, axis;
};

// Levenberg-Marquardt from a start position, with the axis that best explains the responses there.
Fit FitFrom(FitFunction& function, const Vector3& start) {
  function.EvaluateFields(start);
  function.frame = FrameOfAxis(StartAxis(function));

  ceres::TinySolver<FitFunction> solver;
  // A step that no longer moves the parameters, or no longer changes the cost by more than its
  // rounding, ends the fit; the cost is measured against the responses' own size, which differs
  // from design to design. With noise the last steps change the cost only in its last digits,
  // and a solver left to tell them apart would reject step after step.
  double responses_sq = 0.0;
  for (double v : *function.measured) responses_sq += v * v;
  solver.options.max_num_iterations = kFitMaxIterations;
  solver.options.parameter_tolerance = kFitStepTolerance;
  solver.options.gradient_tolerance = 0.0;
  solver.options.function_tolerance = kFitCostTolerance * responses_sq;
  solver.options.cost_threshold = 0.0;
  Eigen::Matrix<double, 5, 1> p;
  p << start.x, start.y, start.z, 0.0, 0.0;
  const auto& summary = solver.Solve(function, &p);
  Fit fit;
  fit.iterations = summary.iterations;
  fit.cost = summary.final_cost;
  if (summary.status == ceres::TinySolver<FitFunction>::HIT_MAX_ITERATIONS) return fit;
  if (!(p(2) > 0.0) || !std::isfinite(p(0) + p(1) + p(3) + p(4)) || !std::isfinite(fit.cost)) return fit;
  double length = 1.0;
  fit.axis = function.Axis(p(3), p(4), length);
  fit.position = {p(0), p(1), p(2)};
  fit.found = true;
  return fit;
}

// The cost (half the squared residuals) above which a fit explains the responses worse than the
// design's noise and offset can: 25 times what they contribute when the model fits.
double MisfitCost(const DesignRecord& design, const std::array<double, 3>& dipole_coefficients,
                  const std::array<double, 9>& n) {
  const double s = SensorSensitivity(design);
  const double volts_sq = design.noise_peak_v * design.noise_peak_v / 3.0 + design.offset_v * design.offset_v;
  double expected = 0.0, responses_sq = 0.0;
  for (int k = 0; k < 9; ++k) {
    const double scale = s * dipole_coefficients[static_cast<std::size_t>(k / 3)];
    expected += volts_sq / (scale * scale);
    responses_sq += n[static_cast<std::size_t>(k)] * n[static_cast<std::size_t>(k)];
  }
  return 0.5 * 25.0 * expected + kFitMisfitShare * responses_sq;
}

}  // namespace

int EstimatePosition3(const SensorFieldModel& model, const std::array<double, 3>& dipole_coefficients,
                      Algorithm1Work& work1, Algorithm2Work& work2, const std::array<double, 9>& n, double& x,
                      double& y, double& z, double& theta, double& phi, int* iterations) {
  if (iterations != nullptr) *iterations = 0;
  FitFunction function;
  function.model = &model;
  function.measured = &n;
  for (int g = 0; g < kGeneratorCount; ++g) {
    for (int a = 0; a < 3; ++a) function.per_dipole[3 * g + a] = 1.0 / dipole_coefficients[g];
  }
  for (double v : function.per_dipole) {
    if (!std::isfinite(v)) return 0;
  }
  for (double v : n) {
    if (!std::isfinite(v)) return 0;
  }

  Fit best;
  int count = 0;
  Vector3 start;
  if (EstimatedStart(work1, work2, n, start)) {
    best = FitFrom(function, start);
    count = best.iterations;
  } else {
    // Without an estimate to start from the fit may end in a false minimum: one that leaves more
    // of the responses unexplained than noise and offset can. Then it runs again from above each
    // generator and from higher above the centre, and the fit with the least cost counts.
    const DesignRecord& design = model.design();
    const std::array<GeneratorRecord, 3>& g = design.generators;
    const double cx = (g[0].x + g[1].x + g[2].x) / 3.0, cy = (g[0].y + g[1].y + g[2].y) / 3.0;
    const double h = kFitFallbackHeight;
    const Vector3 starts[] = {{cx, cy, h},           {g[0].x, g[0].y, h},     {g[1].x, g[1].y, h},
                              {g[2].x, g[2].y, h},   {cx, cy, 2 * h},         {g[0].x, g[0].y, 2 * h},
                              {g[1].x, g[1].y, 2 * h}, {g[2].x, g[2].y, 2 * h}};
    const double misfit = MisfitCost(design, dipole_coefficients, n);
    for (const Vector3& s : starts) {
      const Fit fit = FitFrom(function, s);
      count += fit.iterations;
      if (fit.found && (!best.found || fit.cost < best.cost)) best = fit;
      if (best.found && best.cost <= misfit) break;
    }
  }
  if (iterations != nullptr) *iterations = count;
  if (!best.found) return 0;
  x = best.position.x;
  y = best.position.y;
  z = best.position.z;
  theta = std::acos(std::clamp(best.axis.z, -1.0, 1.0));
  phi = std::atan2(best.axis.y, best.axis.x);
  return 1;
}

}  // namespace orvendi
