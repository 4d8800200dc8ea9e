#pragma once

#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <complex>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/point_results.h"
#include "core/design/design_file.h"
#include "core/design/design_record.h"
#include "core/platform/progress.h"
#include "core/position/precision_bound.h"

namespace orvendi::python {

namespace py = pybind11;

// A design as its file holds it: the values and the stored view, never results.
struct Design {
  DesignRecord record;
  StoredView view;
};

// A computation's progress while the interpreter lock is released: at each progress report the lock is
// taken back just long enough to run Python's signal handlers, and an exception they raise (a
// Ctrl-C's KeyboardInterrupt) stops the computation and is raised by RaiseIfStopped.
class InterruptibleProgress : public Progress {
 public:
  bool Report(double share_done) override;
  bool StillWanted() override { return Report(0.0); }
  // With the lock held, after the computation.
  void RaiseIfStopped();

 private:
  std::optional<py::error_already_set> pending_;
};

// The compute thread count for one call; None keeps the process's setting.
class ThreadsScope {
 public:
  explicit ThreadsScope(std::optional<int> threads);
  ~ThreadsScope();
  ThreadsScope(const ThreadsScope&) = delete;
  ThreadsScope& operator=(const ThreadsScope&) = delete;

 private:
  std::optional<int> previous_;
};

// Runs compute(progress) on `threads` threads without the interpreter lock, then raises what stopped it.
template <typename Compute>
auto RunReleased(std::optional<int> threads, Compute&& compute) {
  const ThreadsScope scope(threads);
  InterruptibleProgress progress;
  std::optional<decltype(compute(progress))> result;
  {
    const py::gil_scoped_release release;
    result.emplace(compute(progress));
  }
  progress.RaiseIfStopped();
  return std::move(*result);
}

struct Calculation {
  py::array_t<std::int64_t> grid_ij;
  py::array_t<double> true_xyz;
  py::array_t<double> estimate_xyz;
  py::array_t<double> error_m;
  ErrorSummary summary;
};

struct MonteCarlo {
  std::uint64_t seed = 0;
  MonteCarloSummary summary;
  Calculation first_run;
  py::array_t<std::int64_t> grid_ij;
  py::array_t<double> true_xyz;
  py::array_t<double> mean_xyz;
  py::array_t<double> trueness_m;
  py::array_t<double> precision_m;
  py::array_t<double> point_rms_error_m;
  py::array_t<std::int64_t> estimates;
  py::array_t<double> bound_m;
  py::array_t<double> efficiency;
};

struct Bed {
  py::array_t<std::complex<double>> voltages_v;
  py::array_t<std::complex<double>> currents_a;
};

struct Bound {
  py::array_t<std::int64_t> grid_ij;
  py::array_t<double> true_xyz;
  py::array_t<double> bound_m;
  BoundSummary summary;
};

// The probe at M points: coil[k, m] the field of coil k, bed[k, m] the bed's phasor for coil k.
struct Field {
  py::array_t<double> coil;
  py::array_t<std::complex<double>> bed;
};

// The columns of a sweep, in the order and under the names of its CSV header.
struct SweepColumns {
  std::vector<std::string> names;
  std::vector<py::array> columns;
};

struct SweepAxisArg {
  std::string key;
  double from = 0.0;
  double to = 0.0;
  int count = 1;
};

Calculation ComputeCalculation(const Design& design, std::optional<int> threads);
MonteCarlo ComputeMonteCarlo(const Design& design, int runs, std::uint64_t seed, std::optional<int> threads);
Bed ComputeBed(const Design& design, std::optional<int> threads);
Bound ComputeBound(const Design& design, std::optional<int> threads);
Field ComputeField(const Design& design, const py::object& points, std::optional<int> threads);
SweepColumns ComputeSweep(const Design& design, const std::vector<SweepAxisArg>& axes, int runs,
                          std::uint64_t seed, std::pair<int, int> shard, std::optional<int> threads);

}  // namespace orvendi::python
