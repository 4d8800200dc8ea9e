#pragma once

#include <array>
#include <cmath>

#include "core/platform/canvas.h"

namespace orvendi {

inline constexpr int kColourMapSize = 256;

// Viridis: perceptually uniform, readable in grey and by the colour-blind. Entry 0 is dark
// violet (low values), entry 255 yellow (high values).
const std::array<Rgb, kColourMapSize>& ViridisColours();

// The entry for `value` on the scale [low, high]: low and below give 0, high and above 255,
// linear between, rounded to the nearest. A scale without width, or any value that is not a
// number, gives 0.
// Inline: the error map asks for every cell of every repaint.
inline int ColourIndex(double value, double low, double high) {
  const double width = high - low;
  if (!(width > 0.0) || !std::isfinite(width) || std::isnan(value)) return 0;
  const double share = (value - low) / width;
  if (!(share > 0.0)) return 0;
  if (share >= 1.0) return kColourMapSize - 1;
  // share lies in (0, 1): adding a half and cutting off rounds to the nearest.
  return static_cast<int>(share * (kColourMapSize - 1) + 0.5);
}

}  // namespace orvendi
