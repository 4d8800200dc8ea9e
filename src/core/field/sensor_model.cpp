#include "core/field/sensor_model.h"

namespace orvendi {

double InductionSensitivity(double frequency_hz, double turns, double area_m2, double gain) {
  return frequency_hz * 6.2831853072 * turns * area_m2 * gain;
}

}  // namespace orvendi
