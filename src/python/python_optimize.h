#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/analysis/optimize.h"
#include "python/python_compute.h"

namespace orvendi::python {

// The arguments of orvendi.optimize() as the package hands them over.
struct OptimizeCall {
  std::vector<std::tuple<std::string, double, double>> vary;  // key, low, high
  std::vector<std::pair<std::string, std::string>> ties;     // key, "OTHER" or "-OTHER"
  std::string objective;
  int runs = 10;
  int evaluations = 2000;
  std::uint64_t seed = 1;
  double min_spacing_m = 0.0;
};

// Runs the layout search of `orvendi-cli optimize` on a copy of the design and returns a dict:
// objective, start_objective, best_objective, evaluations, refused, best_values, best (a Design)
// and history (names, columns).
py::dict ComputeOptimize(const Design& design, const OptimizeCall& call, std::optional<int> threads);

}  // namespace orvendi::python
