#include "core/design/design_warnings.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace orvendi {

namespace {

std::string Shortest(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// NaN is not above 0 either.
void NotAboveZero(std::vector<std::string>& warnings, const std::string& key, double value,
                  std::string_view what) {
  if (!(value > 0.0))
    warnings.push_back(key + ": " + Shortest(value) + " is not above 0; " + std::string(what));
}

}  // namespace

std::vector<std::string> PhysicalWarnings(const DesignRecord& design) {
  std::vector<std::string> warnings;
  for (int g = 0; g < kGeneratorCount; ++g) {
    const GeneratorRecord& generator = design.generators[static_cast<std::size_t>(g)];
    const std::string key = "generators[" + std::to_string(g) + "].";
    NotAboveZero(warnings, key + "side_m", generator.side_m, "the coils have no size");
    NotAboveZero(warnings, key + "turns", generator.turns, "the coils need at least one turn");
  }
  NotAboveZero(warnings, "frequency_hz", design.frequency_hz, "the coils are driven at no frequency");
  NotAboveZero(warnings, "sensor_sensitivity_v_per_t", design.sensor_sensitivity_v_per_t,
               "the sensor gives no voltage");
  if (!(design.noise_peak_v >= 0.0))
    warnings.push_back("noise_peak_v: " + Shortest(design.noise_peak_v) +
                       " is not 0 or more; a noise amplitude cannot be negative");
  NotAboveZero(warnings, "bed_ohms_per_m", design.bed_ohms_per_m, "the bed currents have no limit");
  if (design.include_bed_currents != 0 && (design.bed_x1 == design.bed_x2 || design.bed_y1 == design.bed_y2))
    warnings.push_back("include_bed_currents: the bed is included but has no area");
  return warnings;
}

}  // namespace orvendi
