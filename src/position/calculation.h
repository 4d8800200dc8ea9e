#pragma once

#include <array>
#include <cstdint>

#include "design/design_record.h"
#include "position/scan_grid.h"

namespace orvendi {

class Host;

// Work state of position algorithm 1: the generators' positions in the plane z = 0.
struct Algorithm1Work {
  std::array<double, 3> generator_x{};
  std::array<double, 3> generator_y{};
};

// Work state of position algorithm 2.
struct Algorithm2Work {
  std::array<double, 3> generator_x{};
  std::array<double, 3> generator_y{};
  std::array<double, 9> measured{};
  double x = 0.0, y = 0.0, z = 0.0;
  double theta = 0.0, phi = 0.0;
};

// Pseudo-random integers 0..32767 from a fixed start: the same sequence on every machine.
class NoiseSource {
 public:
  int Next();

 private:
  std::uint32_t state_ = 1;
};

// Everything a calculation run works on besides the design.
struct CalculationWork {
  Algorithm1Work alg1;
  Algorithm2Work alg2;
  NoiseSource noise;
};

// The "Calculate" command: refreshes the bed results when they are used and stale, then
// simulates and estimates every point of the scan grid into the result buffer and sets
// results_valid.
void CalculateCommand(DesignRecord& design, ResultBuffer& results, CalculationWork& work, Host& host);

}  // namespace orvendi
