#include "core/position/noise_source.h"

namespace orvendi {

namespace {

// The splitmix64 output function: neighbouring inputs give unrelated outputs.
std::uint64_t SplitMix64(std::uint64_t z) {
  z += 0x9e3779b97f4a7c15u;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

}  // namespace

NoiseSource NoiseSource::ForRun(std::uint64_t seed, std::int64_t run) {
  if (run == 1) return NoiseSource();
  const std::uint64_t mixed = SplitMix64(SplitMix64(seed) ^ static_cast<std::uint64_t>(run));
  return NoiseSource(static_cast<std::uint32_t>(mixed >> 32));
}

int NoiseSource::Next() {
  // Unsigned arithmetic wraps modulo 2^32, which is what the generator relies on.
  state_ = state_ * kMultiplier + kIncrement;
  return static_cast<int>((state_ / 65536u) % 32768u);
}

void NoiseSource::Skip(std::uint64_t draws) {
  // n steps of x -> a x + c are x -> A x + C; the step is squared while n is halved.
  std::uint32_t a = kMultiplier, c = kIncrement;
  std::uint32_t total_a = 1u, total_c = 0u;
  for (; draws != 0; draws >>= 1) {
    if ((draws & 1u) != 0) {
      total_a *= a;
      total_c = total_c * a + c;
    }
    c *= a + 1u;
    a *= a;
  }
  state_ = state_ * total_a + total_c;
}

}  // namespace orvendi
