#include "python/python_compute.h"

#include <algorithm>
#include <sstream>

#include "core/analysis/sweep.h"
#include "core/field/bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/position/calculation.h"

namespace orvendi::python {

namespace {

// Rows x columns, filled by `value(row, column)`.
template <typename T, typename Value>
py::array_t<T> Table(std::size_t rows, std::size_t columns, Value&& value) {
  py::array_t<T> array(
      std::vector<py::ssize_t>{static_cast<py::ssize_t>(rows), static_cast<py::ssize_t>(columns)});
  auto out = array.template mutable_unchecked<2>();
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < columns; ++c) out(r, c) = value(r, c);
  }
  return array;
}

template <typename T, typename Value>
py::array_t<T> Column(std::size_t rows, Value&& value) {
  py::array_t<T> array(static_cast<py::ssize_t>(rows));
  auto out = array.template mutable_unchecked<1>();
  for (std::size_t r = 0; r < rows; ++r) out(r) = value(r);
  return array;
}

Calculation CalculationArrays(const PointResults& points) {
  const std::vector<PointResult>& rows = points.rows;
  Calculation result;
  result.summary = points.summary;
  result.grid_ij = Table<std::int64_t>(rows.size(), 2, [&](std::size_t r, std::size_t c) {
    return c == 0 ? rows[r].first_index : rows[r].second_index;
  });
  result.true_xyz = Table<double>(rows.size(), 3, [&](std::size_t r, std::size_t c) {
    return c == 0 ? rows[r].true_x : c == 1 ? rows[r].true_y : rows[r].true_z;
  });
  result.estimate_xyz = Table<double>(rows.size(), 3, [&](std::size_t r, std::size_t c) {
    return c == 0 ? rows[r].est_x : c == 1 ? rows[r].est_y : rows[r].est_z;
  });
  result.error_m = Column<double>(rows.size(), [&](std::size_t r) { return rows[r].error_m; });
  return result;
}

[[noreturn]] void Cancelled() {
  PyErr_SetNone(PyExc_KeyboardInterrupt);
  throw py::error_already_set();
}

}  // namespace

bool InterruptibleProgress::Report(double /*share_done*/) {
  const py::gil_scoped_acquire gil;
  if (PyErr_CheckSignals() == 0) return true;
  pending_.emplace();
  return false;
}

void InterruptibleProgress::RaiseIfStopped() {
  if (!pending_) return;
  py::error_already_set error = std::move(*pending_);
  pending_.reset();
  throw error;
}

ThreadsScope::ThreadsScope(std::optional<int> threads) {
  if (!threads) return;
  if (*threads < 1 || *threads > kMaxComputeThreads) {
    throw py::value_error("threads must be from 1 to " + std::to_string(kMaxComputeThreads) + ", not " +
                          std::to_string(*threads));
  }
  previous_ = ComputeThreadsSetting();
  SetComputeThreads(*threads);
}

ThreadsScope::~ThreadsScope() {
  if (previous_) SetComputeThreads(*previous_);
}

// Each computation works on a copy taken while the interpreter lock is held, so that another Python
// thread may change the design while it runs.
Calculation ComputeCalculation(const Design& design, std::optional<int> threads) {
  DesignRecord copy = design.record;
  const std::optional<PointResults> points =
      RunReleased(threads, [&](Progress& progress) -> std::optional<PointResults> {
        ResultBuffer results;
        CalculationWork work;
        CalculateCommand(copy, results, work, progress);
        if (copy.results_valid == 0) return std::nullopt;
        return CollectPointResults(copy, results);
      });
  if (!points) Cancelled();
  return CalculationArrays(*points);
}

MonteCarlo ComputeMonteCarlo(const Design& design, int runs, std::uint64_t seed, std::optional<int> threads) {
  const MonteCarloOptions options{runs, seed};
  std::string error;
  if (!CheckMonteCarloOptions(options, error)) throw py::value_error(error);
  MonteCarloResult result;
  const DesignRecord copy = design.record;
  const AnalysisStatus status =
      RunReleased(threads, [&](Progress& progress) { return RunMonteCarlo(copy, options, progress, result, error); });
  if (status == AnalysisStatus::kCancelled) Cancelled();
  if (status == AnalysisStatus::kFailed) throw py::value_error(error);

  const std::vector<MonteCarloPoint>& points = result.points;
  MonteCarlo mc;
  mc.seed = seed;
  mc.summary = result.summary;
  mc.first_run = CalculationArrays(result.first_run);
  mc.grid_ij = Table<std::int64_t>(points.size(), 2, [&](std::size_t r, std::size_t c) {
    return c == 0 ? points[r].first_index : points[r].second_index;
  });
  mc.true_xyz = Table<double>(points.size(), 3, [&](std::size_t r, std::size_t c) {
    return c == 0 ? points[r].true_x : c == 1 ? points[r].true_y : points[r].true_z;
  });
  mc.mean_xyz = Table<double>(points.size(), 3, [&](std::size_t r, std::size_t c) {
    return c == 0 ? points[r].mean_x : c == 1 ? points[r].mean_y : points[r].mean_z;
  });
  mc.trueness_m = Column<double>(points.size(), [&](std::size_t r) { return points[r].trueness_m; });
  mc.precision_m = Column<double>(points.size(), [&](std::size_t r) { return points[r].precision_m; });
  mc.point_rms_error_m = Column<double>(points.size(), [&](std::size_t r) { return points[r].rms_error_m; });
  mc.estimates = Column<std::int64_t>(points.size(), [&](std::size_t r) { return points[r].estimates; });
  mc.bound_m = Column<double>(points.size(), [&](std::size_t r) { return points[r].bound_m; });
  mc.efficiency = Column<double>(points.size(), [&](std::size_t r) { return points[r].efficiency; });
  return mc;
}

Bed ComputeBed(const Design& design, std::optional<int> threads) {
  DesignRecord copy = design.record;
  if (!RunReleased(threads, [&](Progress& progress) { return RefreshBedModel(copy, progress); })) Cancelled();
  Bed bed;
  bed.voltages_v =
      Column<std::complex<double>>(kCoilCount, [&](std::size_t i) { return copy.bed_voltages[i]; });
  bed.currents_a =
      Column<std::complex<double>>(kCoilCount, [&](std::size_t i) { return copy.bed_currents[i]; });
  return bed;
}

SweepColumns ComputeSweep(const Design& design, const std::vector<SweepAxisArg>& axes, int runs,
                          std::uint64_t seed, std::pair<int, int> shard, std::optional<int> threads) {
  SweepOptions options;
  std::string error;
  const std::vector<std::string>& keys = NumericDesignKeys();
  for (const SweepAxisArg& arg : axes) {
    if (std::find(keys.begin(), keys.end(), arg.key) == keys.end()) {
      throw py::key_error(
          "vary: \"" + arg.key +
          "\" is not a numeric key of a design file (such as frequency_hz or generators[1].x)");
    }
    options.axes.push_back({arg.key, arg.from, arg.to, arg.count});
  }
  if (!SweepCombinations(options.axes, error)) throw py::value_error(error);
  options.monte_carlo = {runs, seed};
  if (!CheckMonteCarloOptions(options.monte_carlo, error)) throw py::value_error(error);
  const std::optional<SweepShard> parsed =
      ParseSweepShard(std::to_string(shard.first) + "/" + std::to_string(shard.second), error);
  if (!parsed) throw py::value_error(error);
  options.shard = *parsed;
  options.key_group = DesignNumberGroup;

  std::vector<std::vector<double>> numbers(options.axes.size() + 2 + (runs > 1 ? 8 : 0));
  std::vector<std::int64_t> failed_points;
  std::vector<std::int64_t> failed_estimates;
  const auto sink = [&](const SweepRow& row, std::string&) {
    std::size_t c = 0;
    for (const double value : row.values) numbers[c++].push_back(value);
    numbers[c++].push_back(row.errors.max_error_m);
    numbers[c++].push_back(row.errors.rms_error_m);
    failed_points.push_back(row.errors.failed_points);
    if (row.has_monte_carlo) {
      const MonteCarloSummary& mc = row.monte_carlo;
      for (const double value : {mc.max_trueness_m, mc.mean_trueness_m, mc.max_precision_m,
                                 mc.mean_precision_m, mc.rms_error_m, mc.p95_error_m}) {
        numbers[c++].push_back(value);
      }
      failed_estimates.push_back(mc.failed_estimates);
      numbers[c++].push_back(mc.max_bound_m);
      numbers[c++].push_back(mc.rms_bound_m);
    }
    return true;
  };
  const DesignRecord base = design.record;
  const AnalysisStatus status = RunReleased(threads, [&](Progress& progress) {
    return RunSweep(base, options, SetDesignNumbers, progress, sink, error);
  });
  if (status == AnalysisStatus::kCancelled) Cancelled();
  if (status == AnalysisStatus::kFailed) throw py::value_error(error);

  SweepColumns result;
  std::string header = SweepCsvHeader(options);
  header.pop_back();
  std::istringstream names(header);
  for (std::string name; std::getline(names, name, ',');) result.names.push_back(name);
  const auto doubles = [](const std::vector<double>& v) {
    return Column<double>(v.size(), [&](std::size_t r) { return v[r]; });
  };
  const auto integers = [](const std::vector<std::int64_t>& v) {
    return Column<std::int64_t>(v.size(), [&](std::size_t r) { return v[r]; });
  };
  const std::size_t before_failed = options.axes.size() + 2;
  for (std::size_t c = 0; c < before_failed; ++c) result.columns.push_back(doubles(numbers[c]));
  result.columns.push_back(integers(failed_points));
  if (runs > 1) {
    // The Monte-Carlo figures, the failed estimates, then the bound figures, as the CSV orders them.
    const std::size_t bound_columns = numbers.size() - 2;
    for (std::size_t c = before_failed; c < bound_columns; ++c) result.columns.push_back(doubles(numbers[c]));
    result.columns.push_back(integers(failed_estimates));
    for (std::size_t c = bound_columns; c < numbers.size(); ++c) result.columns.push_back(doubles(numbers[c]));
  }
  return result;
}

}  // namespace orvendi::python
