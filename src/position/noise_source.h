#pragma once

#include <cstdint>

namespace orvendi {

// Pseudo-random integers 0..32767 from a fixed start: the same sequence on every machine and
// every start of the program.
class NoiseSource {
 public:
  static constexpr int kMax = 32767;

  int Next();

  friend bool operator==(const NoiseSource&, const NoiseSource&) = default;

 private:
  std::uint32_t state_ = 1;
};

}  // namespace orvendi
