#pragma once

#include <cmath>

namespace orvendi {

// Largest magnitude RoundHalfAway returns. Kept well inside the int range so that a pixel
// position formed as window centre + rounded offset can never overflow.
inline constexpr int kRoundSaturation = 1'000'000'000;

// The integer nearest to t, halves away from zero (2.5 -> 3, -2.5 -> -3). Values beyond
// +-kRoundSaturation saturate there; a value that is not a number gives 0.
inline int RoundHalfAway(double t) {
  if (std::isnan(t)) return 0;
  if (t >= kRoundSaturation) return kRoundSaturation;
  if (t <= -kRoundSaturation) return -kRoundSaturation;
  return t >= 0 ? static_cast<int>(t + 0.5) : static_cast<int>(t - 0.5);
}

}  // namespace orvendi
