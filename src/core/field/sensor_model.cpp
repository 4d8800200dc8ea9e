#include "core/field/sensor_model.h"

#include "core/field/field_constants.h"

namespace orvendi {

double InductionSensitivity(double frequency_hz, double turns, double area_m2, double gain) {
  return frequency_hz * kTwoPi * turns * area_m2 * gain;
}

}  // namespace orvendi
