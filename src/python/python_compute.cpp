#include "python/python_compute.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "core/analysis/sweep.h"
#include "core/field/bed_model.h"
#include "core/field/field_probe.h"
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

Bound ComputeBound(const Design& design, std::optional<int> threads) {
  DesignRecord copy = design.record;
  const std::optional<std::vector<BoundPoint>> points =
      RunReleased(threads, [&](Progress& progress) -> std::optional<std::vector<BoundPoint>> {
        std::vector<BoundPoint> grid;
        const auto report = [&progress](double share) { return progress.Report(share); };
        if ((copy.include_bed_currents != 0 && !RefreshBedModel(copy, progress)) ||
            !BoundGrid(copy, grid, report))
          return std::nullopt;
        return grid;
      });
  if (!points) Cancelled();
  const std::vector<BoundPoint>& rows = *points;
  Bound bound;
  bound.summary = SummariseBounds(rows);
  bound.grid_ij = Table<std::int64_t>(rows.size(), 2, [&](std::size_t r, std::size_t c) {
    return c == 0 ? rows[r].first_index : rows[r].second_index;
  });
  bound.true_xyz = Table<double>(rows.size(), 3, [&](std::size_t r, std::size_t c) {
    return c == 0 ? rows[r].x : c == 1 ? rows[r].y : rows[r].z;
  });
  bound.bound_m = Column<double>(rows.size(), [&](std::size_t r) { return rows[r].bound_m; });
  return bound;
}

Field ComputeField(const Design& design, const py::object& points, std::optional<int> threads) {
  using Points = py::array_t<double, py::array::c_style | py::array::forcecast>;
  const Points xyz = Points::ensure(points);
  const char* const shape = "points must be an M x 3 array of finite numbers (metres)";
  if (!xyz || xyz.ndim() != 2 || xyz.shape(1) != 3) throw py::value_error(shape);
  const auto in = xyz.unchecked<2>();
  const py::ssize_t count = xyz.shape(0);
  std::vector<Vector3> at(static_cast<std::size_t>(count));
  for (py::ssize_t m = 0; m < count; ++m) {
    at[static_cast<std::size_t>(m)] = {in(m, 0), in(m, 1), in(m, 2)};
    if (!std::isfinite(in(m, 0)) || !std::isfinite(in(m, 1)) || !std::isfinite(in(m, 2))) {
      throw py::value_error(std::string(shape) + "; row " + std::to_string(m) + " is not");
    }
  }
  // As orvendi-cli field: the bed results brought up to date whether or not the run includes them.
  DesignRecord copy = design.record;
  constexpr std::size_t kPointsPerReport = 4096;
  std::vector<std::array<CoilProbe, kCoilCount>> probes(at.size());
  const bool done = RunReleased(threads, [&](Progress& progress) {
    if (!RefreshBedModel(copy, progress)) return false;
    for (std::size_t m = 0; m < at.size(); ++m) {
      if (m % kPointsPerReport == kPointsPerReport - 1 && !progress.Report(static_cast<double>(m) / static_cast<double>(at.size())))
        return false;
      probes[m] = ProbeField(copy, at[m]);
    }
    return true;
  });
  if (!done) Cancelled();

  Field field;
  const std::vector<py::ssize_t> dims{kCoilCount, count, 3};
  field.coil = py::array_t<double>(dims);
  field.bed = py::array_t<std::complex<double>>(dims);
  auto coil = field.coil.mutable_unchecked<3>();
  auto bed = field.bed.mutable_unchecked<3>();
  for (py::ssize_t k = 0; k < kCoilCount; ++k) {
    for (py::ssize_t m = 0; m < count; ++m) {
      const CoilProbe& p = probes[static_cast<std::size_t>(m)][static_cast<std::size_t>(k)];
      const double c[3] = {p.coil.x, p.coil.y, p.coil.z};
      const double re[3] = {p.bed.re.x, p.bed.re.y, p.bed.re.z};
      const double im[3] = {p.bed.im.x, p.bed.im.y, p.bed.im.z};
      for (int a = 0; a < 3; ++a) {
        coil(k, m, a) = c[a];
        bed(k, m, a) = {re[a], im[a]};
      }
    }
  }
  return field;
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
