#pragma once

#include <cstdint>

namespace orvendi {

// Pseudo-random integers 0..32767 from a fixed start: the same sequence on every machine and
// every start of the program.
class NoiseSource {
 public:
  static constexpr int kMax = 32767;

  NoiseSource() = default;
  // The same generator started from another state.
  explicit NoiseSource(std::uint32_t start_state) : state_(start_state) {}

  // The sequence of repeated run `run` (counted from 1) of one design: run 1 has the fixed start
  // of a default-constructed source, as a single "Calculate" in a fresh program; every later run
  // starts from a state mixed from (seed, run), the same on every machine.
  static NoiseSource ForRun(std::uint64_t seed, std::int64_t run);

  int Next();

  // Moves on as `draws` calls of Next would, in O(log draws) steps, so that work split between
  // threads can start each part at its place in the one sequence.
  void Skip(std::uint64_t draws);

  friend bool operator==(const NoiseSource&, const NoiseSource&) = default;

 private:
  static constexpr std::uint32_t kMultiplier = 1103515245u;
  static constexpr std::uint32_t kIncrement = 12345u;

  std::uint32_t state_ = 1;
};

}  // namespace orvendi
