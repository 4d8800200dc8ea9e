#pragma once

#include <array>

#include "core/position/algorithm2.h"
#include "core/position/sensor_field_model.h"

namespace orvendi {

// Limits of algorithm 3's fit.
inline constexpr int kFitMaxIterations = 100;
// A step shorter than this share of the parameter vector's length ends the fit as converged.
inline constexpr double kFitStepTolerance = 1e-10;
// Where algorithm 2 gives no estimate the fit starts this high above the generators' centre.
inline constexpr double kFitFallbackHeight = 0.2;

// Position and sensor orientation from the nine normalised responses (coil order) by a
// Levenberg-Marquardt fit of the model's fields, divided by each generator's dipole coefficient
// (T m^3, as DipoleCoefficient gives it), to them. Starts from algorithm 2's estimate (computed with `work`, which must hold the
// generator positions), or from kFitFallbackHeight above the generators' centre with the sensor
// axis upright where algorithm 2 has none. Returns 1 and writes the fitted position and angles
// when the fit converged within kFitMaxIterations at a point above the plane z = 0; returns 0
// with the outputs untouched otherwise. `iterations`, when given, receives the fit's count.
int EstimatePosition3(const SensorFieldModel& model, const std::array<double, 3>& dipole_coefficients,
                      Algorithm2Work& work, const std::array<double, 9>& n, double& x, double& y, double& z, double& theta, double& phi, int* iterations = nullptr);

}  // namespace orvendi
