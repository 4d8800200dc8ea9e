// The compiled part of `import orvendi`: designs, calculations, precision bounds, field probes,
// Monte-Carlo runs, the bed model, sweeps and the layout search over the core. The package's __init__.py builds the sweep's DataFrame and the Dask runner.
#include <pybind11/complex.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

#include "python/python_compute.h"
#include "python/python_optimize.h"

namespace orvendi::python {

namespace {

constexpr std::string_view kViewPrefix = "view.";
// The view's keys as the file nests them under "view".
constexpr std::array<std::string_view, 5> kViewKeys = {"current_view", "scale_percent", "view_centre_x",
                                                       "view_centre_y", "view_centre_z"};

std::vector<std::string> AllKeys() {
  std::vector<std::string> keys = NumericDesignKeys();
  for (const std::string_view key : kViewKeys) keys.push_back(std::string(kViewPrefix) + std::string(key));
  return keys;
}

// The view key under "view" for "view.KEY"; empty for any other key.
std::optional<std::string> ViewKey(std::string_view key) {
  if (!key.starts_with(kViewPrefix)) return std::nullopt;
  const std::string_view rest = key.substr(kViewPrefix.size());
  if (std::find(kViewKeys.begin(), kViewKeys.end(), rest) == kViewKeys.end()) return std::nullopt;
  return std::string(rest);
}

// A str or an os.PathLike, as open() takes.
std::string PathText(const py::object& path) {
  return py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
}

[[noreturn]] void UnknownKey(std::string_view key) {
  throw py::key_error(std::string(key) + ": not a key of a design file (design.keys() lists them)");
}

// Reads JSON text as a design file does; ValueError with the file's message when it does not read.
Design FromJson(std::string_view text, std::string_view source) {
  Design design;
  std::string error;
  if (!ReadDesignJson(text, source, design.record, design.view, error)) throw py::value_error(error);
  return design;
}

Design DefaultDesign() {
  Design design;
  ApplyDesignDefaults(design.record);
  // Through the file, so that the design is what `orvendi-cli new` writes and the CLI reads back.
  return FromJson(WriteDesignJson(design.record, design.view), "default design");
}

Design LoadDesign(const py::object& path) {
  Design design;
  std::string error;
  if (!ReadDesignFile(PathText(path), design.record, design.view, error)) throw py::value_error(error);
  return design;
}

void SaveDesign(const Design& design, const py::object& path) {
  std::string error;
  if (!WriteDesignFile(PathText(path), design.record, design.view, error)) throw py::value_error(error);
}

double GetItem(const Design& design, const std::string& key) {
  if (const std::optional<double> value = GetDesignNumber(design.record, key)) return *value;
  const std::optional<std::string> view_key = ViewKey(key);
  if (!view_key) UnknownKey(key);
  const nlohmann::json root = nlohmann::json::parse(WriteDesignJson(design.record, design.view));
  return root.at("view").at(*view_key).get<double>();
}

void SetItem(Design& design, const std::string& key, double value) {
  std::string error;
  if (std::optional<std::string> view_key = ViewKey(key)) {
    nlohmann::json root = nlohmann::json::parse(WriteDesignJson(design.record, design.view));
    root["view"][*view_key] = value;
    Design updated = FromJson(root.dump(), "");
    design.view = updated.view;
    return;
  }
  const std::vector<std::string>& keys = NumericDesignKeys();
  if (std::find(keys.begin(), keys.end(), key) == keys.end()) UnknownKey(key);
  if (!SetDesignNumber(design.record, key, value, error)) throw py::value_error(error);
}

std::vector<std::string> Validate(const Design& design) {
  return ValidateDesignJson(WriteDesignJson(design.record, design.view), "design");
}

std::pair<std::vector<std::string>, std::vector<py::array>> Sweep(
    const Design& design, const std::vector<std::tuple<std::string, double, double, int>>& vary, int runs,
    std::uint64_t seed, std::pair<int, int> shard, std::optional<int> threads) {
  std::vector<SweepAxisArg> axes;
  for (const auto& [key, from, to, count] : vary) axes.push_back({key, from, to, count});
  SweepColumns sweep = ComputeSweep(design, axes, runs, seed, shard, threads);
  return {std::move(sweep.names), std::move(sweep.columns)};
}

void BindResults(py::module_& m) {
  py::class_<Calculation>(m, "Calculation",
                          "The result of Design.calculate(): one row per grid point in scan order, the "
                          "first index fastest. A point without an estimate has NaN in estimate_xyz and "
                          "error_m and counts as infinitely far off in the summary figures.")
      .def_readonly("grid_ij", &Calculation::grid_ij, "N x 2 grid indices (int64)")
      .def_readonly("true_xyz", &Calculation::true_xyz, "N x 3 true sensor positions in metres")
      .def_readonly("estimate_xyz", &Calculation::estimate_xyz,
                    "N x 3 estimated positions in metres, NaN where none")
      .def_readonly("error_m", &Calculation::error_m,
                    "N distances of the estimates from the truth, NaN where none")
      .def_property_readonly(
          "max_error_m", [](const Calculation& c) { return c.summary.max_error_m; },
          "Largest position error in metres (inf when any point failed)")
      .def_property_readonly(
          "rms_error_m", [](const Calculation& c) { return c.summary.rms_error_m; },
          "RMS position error in metres (inf when any point failed)")
      .def_property_readonly(
          "points", [](const Calculation& c) { return c.summary.points; }, "Grid points")
      .def_property_readonly(
          "failed_points", [](const Calculation& c) { return c.summary.failed_points; },
          "Grid points without an estimate")
      .def("__repr__", [](const Calculation& c) {
        return "<orvendi.Calculation points=" + std::to_string(c.summary.points) +
               " failed_points=" + std::to_string(c.summary.failed_points) + ">";
      });

  py::class_<MonteCarlo>(m, "MonteCarlo",
                         "The result of Design.montecarlo(): the summary figures of orvendi-cli montecarlo "
                         "as attributes, per-point arrays in scan order, and run 1 as first_run.")
      .def_readonly("seed", &MonteCarlo::seed, "Seed of the noise of runs 2 and later")
      .def_property_readonly(
          "runs", [](const MonteCarlo& r) { return r.summary.runs; }, "Runs")
      .def_property_readonly(
          "points", [](const MonteCarlo& r) { return r.summary.points; }, "Grid points")
      .def_property_readonly(
          "max_trueness_m", [](const MonteCarlo& r) { return r.summary.max_trueness_m; },
          "Largest distance of a point's mean estimate from the truth")
      .def_property_readonly(
          "mean_trueness_m", [](const MonteCarlo& r) { return r.summary.mean_trueness_m; },
          "Mean distance of the points' mean estimates from the truth")
      .def_property_readonly(
          "max_precision_m", [](const MonteCarlo& r) { return r.summary.max_precision_m; },
          "Largest RMS spread of a point's estimates")
      .def_property_readonly(
          "mean_precision_m", [](const MonteCarlo& r) { return r.summary.mean_precision_m; },
          "Mean RMS spread of the points' estimates")
      .def_property_readonly(
          "rms_error_m", [](const MonteCarlo& r) { return r.summary.rms_error_m; },
          "RMS error over every estimate of every run")
      .def_property_readonly(
          "p95_error_m", [](const MonteCarlo& r) { return r.summary.p95_error_m; },
          "95th percentile of the errors (nearest rank)")
      .def_property_readonly(
          "max_error_m", [](const MonteCarlo& r) { return r.summary.max_error_m; },
          "Largest error over every estimate of every run")
      .def_property_readonly(
          "failed_estimates", [](const MonteCarlo& r) { return r.summary.failed_estimates; },
          "Estimates that failed, over all runs")
      .def_property_readonly(
          "max_bound_m", [](const MonteCarlo& r) { return r.summary.max_bound_m; },
          "Largest precision bound over the grid")
      .def_property_readonly(
          "rms_bound_m", [](const MonteCarlo& r) { return r.summary.rms_bound_m; },
          "RMS of the precision bounds over the grid")
      .def_property_readonly(
          "mean_efficiency", [](const MonteCarlo& r) { return r.summary.mean_efficiency; },
          "Mean of precision / bound over the points where both are finite")
      .def_readonly("first_run", &MonteCarlo::first_run, "Run 1, the same as Design.calculate()")
      .def_readonly("grid_ij", &MonteCarlo::grid_ij, "N x 2 grid indices (int64)")
      .def_readonly("true_xyz", &MonteCarlo::true_xyz, "N x 3 true positions")
      .def_readonly("mean_xyz", &MonteCarlo::mean_xyz, "N x 3 mean estimates, NaN where no run gave one")
      .def_readonly("trueness_m", &MonteCarlo::trueness_m, "N distances of the mean estimate from the truth")
      .def_readonly("precision_m", &MonteCarlo::precision_m,
                    "N RMS spreads of the estimates about their mean")
      .def_readonly("point_rms_error_m", &MonteCarlo::point_rms_error_m, "N RMS errors over all runs")
      .def_readonly("estimates", &MonteCarlo::estimates, "N counts of runs that gave an estimate")
      .def_readonly("bound_m", &MonteCarlo::bound_m, "N precision bounds, inf at a blind spot")
      .def_readonly("efficiency", &MonteCarlo::efficiency, "N ratios precision / bound, NaN where undefined");

  py::class_<Bound>(m, "Bound",
                    "The result of Design.bound(): the precision bound at every grid point in scan order, "
                    "the first index fastest, and the figures of `orvendi-cli bound`. A blind spot (the "
                    "voltages cannot tell position and orientation apart) has an infinite bound, and makes "
                    "the largest, RMS and mean bound infinite.")
      .def_readonly("grid_ij", &Bound::grid_ij, "N x 2 grid indices (int64)")
      .def_readonly("true_xyz", &Bound::true_xyz, "N x 3 sensor positions in metres")
      .def_readonly("bound_m", &Bound::bound_m,
                    "N precision bounds in metres: the smallest RMS position error any unbiased estimator "
                    "can reach with the design's noise; inf at a blind spot")
      .def_property_readonly(
          "points", [](const Bound& b) { return b.summary.points; }, "Grid points")
      .def_property_readonly(
          "singular_points", [](const Bound& b) { return b.summary.singular_points; },
          "Blind spots: points with an infinite bound")
      .def_property_readonly(
          "max_bound_m", [](const Bound& b) { return b.summary.max_bound_m; }, "Largest bound in metres")
      .def_property_readonly(
          "rms_bound_m", [](const Bound& b) { return b.summary.rms_bound_m; }, "RMS of the bounds in metres")
      .def_property_readonly(
          "mean_bound_m", [](const Bound& b) { return b.summary.mean_bound_m; }, "Mean bound in metres")
      .def("__repr__", [](const Bound& b) {
        return "<orvendi.Bound points=" + std::to_string(b.summary.points) +
               " singular_points=" + std::to_string(b.summary.singular_points) + ">";
      });

  py::class_<Field>(m, "Field",
                    "The result of Design.field(points), as `orvendi-cli field` gives it at each point, in "
                    "tesla. Coil k is the X, Y or Z coil (k % 3) of generators[k // 3].")
      .def_readonly("coil", &Field::coil, "9 x M x 3 field of each coil at each point")
      .def_readonly("bed", &Field::bed,
                    "9 x M x 3 complex field of the bed for each coil's current: real part in phase with "
                    "it, imaginary part in quadrature");

  py::class_<Bed>(m, "Bed", "The bed model: open-loop voltage and current phasors per generator coil.")
      .def_readonly("voltages_v", &Bed::voltages_v,
                    "9 complex voltages: the X, Y and Z coil of generators[0], then of [1] and [2]")
      .def_readonly("currents_a", &Bed::currents_a, "9 complex currents in the same order");
}

}  // namespace

PYBIND11_MODULE(_orvendi, m) {
  m.doc() = "The compiled core of the orvendi package (use `import orvendi`).";
  BindResults(m);

  py::class_<Design>(m, "Design",
                     "A design: every value a design file holds, under the file's keys "
                     "(\"frequency_hz\", \"generators[1].x\", \"coil_display[3]\", \"view.scale_percent\"). "
                     "Setting a value follows the file's rules: a refused value raises ValueError and "
                     "changes nothing, an unknown key raises KeyError.")
      .def(py::init(&DefaultDesign), "The default design, as `orvendi-cli new` writes it.")
      .def_static("default", &DefaultDesign, "The default design, as `orvendi-cli new` writes it.")
      .def_static("load", &LoadDesign, py::arg("path"),
                  "Reads a design file; ValueError with orvendi-cli's message when it does not read.")
      .def_static(
          "from_json", [](const std::string& text) { return FromJson(text, "design"); }, py::arg("text"),
          "Reads a design from the text of a design file.")
      .def("save", &SaveDesign, py::arg("path"),
           "Writes the design file; the old file stays whole on failure.")
      .def(
          "to_json", [](const Design& d) { return WriteDesignJson(d.record, d.view); },
          "The text of the design file.")
      .def("__getitem__", &GetItem, py::arg("key"), "The value under a design file key, as a float.")
      .def("__setitem__", &SetItem, py::arg("key"), py::arg("value"),
           "Sets a value under the design file's rules (a generator's coils follow its side, turns and "
           "current; the scan values must stay a valid set).")
      .def(
          "__contains__",
          [](const Design&, const std::string& key) {
            const std::vector<std::string> keys = AllKeys();
            return std::find(keys.begin(), keys.end(), key) != keys.end();
          },
          py::arg("key"), "Whether the key is one of keys().")
      .def(
          "keys", [](const Design&) { return AllKeys(); }, "The design file's keys, in file order.")
      .def("validate", &Validate,
           "Every problem of the design as `orvendi-cli validate` reports it for its file; empty when none.")
      .def(
          "copy", [](const Design& d) { return d; }, "An independent copy.")
      .def("__copy__", [](const Design& d) { return d; })
      .def(
          "__deepcopy__", [](const Design& d, py::dict) { return d; }, py::arg("memo"))
      .def("__eq__",
           [](const Design& a, const Design& b) {
             return WriteDesignJson(a.record, a.view) == WriteDesignJson(b.record, b.view);
           })
      .def(py::pickle([](const Design& d) { return WriteDesignJson(d.record, d.view); },
                      [](const std::string& text) { return FromJson(text, "pickled design"); }))
      .def("calculate", &ComputeCalculation, py::arg("threads") = py::none(),
           "Runs the calculation (the window's Calculate) on a copy and returns a Calculation: the "
           "numbers of `orvendi-cli calculate --points`, bit for bit. threads: 1 to 256, None for "
           "every core (no result depends on it). Ctrl-C stops it with KeyboardInterrupt.")
      .def("montecarlo", &ComputeMonteCarlo, py::arg("runs"), py::arg("seed") = kDefaultMonteCarloSeed,
           py::arg("threads") = py::none(),
           "Repeats the calculation `runs` times (run 1 is calculate(), later runs draw their noise "
           "from `seed`) and returns a MonteCarlo, as `orvendi-cli montecarlo`.")
      .def("bed", &ComputeBed, py::arg("threads") = py::none(),
           "Runs the bed model and returns its voltage and current phasors, as `orvendi-cli bed`.")
      .def("bound", &ComputeBound, py::arg("threads") = py::none(),
           "Computes the precision bound at every grid point (the bed model first when the run includes "
           "the bed) and returns a Bound: the numbers of `orvendi-cli bound --points`, bit for bit.")
      .def("field", &ComputeField, py::arg("points"), py::arg("threads") = py::none(),
           "Brings the bed model up to date, then probes each coil's field and the bed's at the points "
           "(array-like, M x 3, metres) and returns a Field: the numbers of `orvendi-cli field`. A points "
           "argument that is not M x 3 finite numbers raises ValueError.");

  m.def(
      "validate_file", [](const py::object& path) { return ValidateDesignFile(PathText(path)); },
      py::arg("path"),
      "Every problem of a design file, one message each, as `orvendi-cli validate` prints them.");
  m.def("_sweep", &Sweep, py::arg("design"), py::arg("vary"), py::arg("runs"), py::arg("seed"),
        py::arg("shard"), py::arg("threads"),
        "The sweep's columns: (names, arrays). orvendi.sweep() makes the DataFrame from them.");
  m.def(
      "_optimize",
      [](const Design& design, std::vector<std::tuple<std::string, double, double>> vary,
         std::vector<std::pair<std::string, std::string>> ties, std::string objective, int runs, int evaluations,
         std::uint64_t seed, double min_spacing_m, std::optional<int> threads) {
        const OptimizeCall call{std::move(vary), std::move(ties), std::move(objective), runs,
                                evaluations,     seed,            min_spacing_m};
        return ComputeOptimize(design, call, threads);
      },
      py::arg("design"), py::arg("vary"), py::arg("ties"), py::arg("objective"), py::arg("runs"),
      py::arg("evaluations"), py::arg("seed"), py::arg("min_spacing_m"), py::arg("threads"),
      "The layout search's figures as a dict; orvendi.optimize() makes its result from them.");
  m.attr("_MAX_RUNS") = kMaxMonteCarloRuns;
  m.attr("_MAX_EVALUATIONS") = kMaxOptimizeEvaluations;
}

}  // namespace orvendi::python
