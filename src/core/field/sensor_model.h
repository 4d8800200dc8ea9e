#pragma once

namespace orvendi {

// Peak volts per peak tesla of an induction coil at the drive frequency: 2 pi f N A gain.
double InductionSensitivity(double frequency_hz, double turns, double area_m2, double gain);

}  // namespace orvendi
