#include "position/noise_source.h"

namespace orvendi {

int NoiseSource::Next() {
  // Unsigned arithmetic wraps modulo 2^32, which is what the generator relies on.
  state_ = state_ * 1103515245u + 12345u;
  return static_cast<int>((state_ / 65536u) % 32768u);
}

}  // namespace orvendi
