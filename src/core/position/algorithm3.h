#pragma once

#include <array>

#include "core/position/algorithm1.h"
#include "core/position/algorithm2.h"
#include "core/position/sensor_field_model.h"

namespace orvendi {

// Limits of algorithm 3's fit.
inline constexpr int kFitMaxIterations = 100;
// A step shorter than this share of the parameter vector's length ends the fit as converged.
inline constexpr double kFitStepTolerance = 1e-10;
// A cost change below this share of the responses' square sum ends the fit as converged. A step
// that changes the cost this little moves the position by a few nanometres at most, and the
// step is still taken.
inline constexpr double kFitCostTolerance = 1e-15;
// Where algorithms 1 and 2 give no estimate the fit starts this high above the generators' centre
// (and, should that fit leave too much unexplained, above each generator and twice as high).
inline constexpr double kFitFallbackHeight = 0.2;
// Besides noise and offset, this share of the responses' square sum may stay unexplained by a fit
// from such a start: the rounding of the model and the sums.
inline constexpr double kFitMisfitShare = 1e-20;

// Position and sensor orientation from the nine normalised responses (coil order) by a
// Levenberg-Marquardt fit of the model's fields, divided by each generator's dipole coefficient
// (T m^3, as DipoleCoefficient gives it), to them. The start position is algorithm 1's estimate,
// algorithm 2's where that has none (`work1` and `work2` must hold the generator positions), or
// kFitFallbackHeight above the generators' centre, then the other fallback starts while the fit
// explains the responses worse than the design's noise and offset can; the fit with the least
// cost counts. The start axis is the one that best explains the responses at the start position.
// Returns 1 and writes the fitted position and angles when the fit converged within
// kFitMaxIterations at a point above the plane z = 0; returns 0 with the outputs untouched
// otherwise. `iterations`, when given, receives the count of all fits run.
int EstimatePosition3(const SensorFieldModel& model, const std::array<double, 3>& dipole_coefficients,
                      Algorithm1Work& work1, Algorithm2Work& work2, const std::array<double, 9>& n, double& x,
                      double& y, double& z, double& theta, double& phi, int* iterations = nullptr);

}  // namespace orvendi
