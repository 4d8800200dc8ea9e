#pragma once

#include <array>
#include <functional>

#include "core/design/design_record.h"
#include "core/field/vector3.h"
#include "core/position/algorithm1.h"
#include "core/position/algorithm2.h"
#include "core/position/noise_source.h"
#include "core/position/scan_grid.h"

namespace orvendi {

class Progress;

// Everything a calculation run works on besides the design.
struct CalculationWork {
  Algorithm1Work alg1;
  Algorithm2Work alg2;
  NoiseSource noise;
};

// The "Calculate" command: refreshes the bed results when they are used and stale, then
// simulates and estimates every point of the scan grid into the result buffer and sets
// results_valid. The buffer is filled anew, a point without an estimate holding NaN. When
// `progress` asks to stop (during the bed model or after a row of the run) the buffer, the noise
// sequence and results_valid stay as they were before the command. The buffer changes only once
// the run is complete, so repaints while it runs show the previous results.
void CalculateCommand(DesignRecord& design, ResultBuffer& results, CalculationWork& work, Progress& progress);

// Copies the generators' positions into the selected algorithm's work state.
void LoadGeneratorPositions(const DesignRecord& design, CalculationWork& work);

// Simulates and estimates every point of the scan grid (first axis fastest) into the cleared
// buffer, with the noise source of the work. After each row `row_done`, when given, hears the
// share of rows done; when it returns false the run stops there and false is returned. The
// algorithm's work state must hold the generator positions (LoadGeneratorPositions). The points
// are shared out among the compute threads, each drawing its noise at its place in the one
// sequence, so buffer and noise source end as on one thread; `row_done` is called on this thread.
bool CalculateGrid(const DesignRecord& design, ResultBuffer& results, CalculationWork& work,
                   const std::function<bool(double)>& row_done);

// Simulates the sensor at (x, y, z) and writes the estimate of the selected algorithm to the
// slot of (first_index, second_index), NaN ("no estimate") where the algorithm wrote no position.
// The algorithm's work state must hold the generator positions.
void CalculatePoint(const DesignRecord& design, ResultBuffer& results, CalculationWork& work, int first_index,
                    int second_index, double x, double y, double z);

// The nine normalised responses of the sensor at a point, in coil order: coil fields (plus the
// bed fields when included), sensor voltages with offset and noise (nine draws), each divided by
// the sensitivity and its generator's dipole coefficient.
void NormalisedResponses(const DesignRecord& design, NoiseSource& noise, const Vector3& point,
                         std::array<double, 9>& n);

// area x turns x current x mu0 / 4 pi of a generator's coils, in T m^3.
double DipoleCoefficient(const GeneratorRecord& generator);

// Noise in volts for one draw of the noise source: uniform over [-peak, +peak].
double NoiseVolts(int draw, double noise_peak_v);

}  // namespace orvendi
