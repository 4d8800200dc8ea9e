#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/point_results.h"
#include "core/analysis/progress.h"
#include "core/design/design_record.h"

namespace orvendi {

// Sets one design value by its key ("frequency_hz", "generators[1].x"); false with a message when
// the key is unknown or the value not allowed.
using DesignSetter =
    std::function<bool(DesignRecord& design, std::string_view key, double value, std::string& error)>;
// Sets several design values at once, judged together (SetDesignNumbers); false with a message
// when a key is unknown or the values are not allowed.
using DesignRowSetter = std::function<bool(DesignRecord& design, std::span<const std::string_view> keys,
                                           std::span<const double> values, std::string& error)>;
// A row setter that sets the values one key at a time, in order, through `setter`.
DesignRowSetter KeyByKey(DesignSetter setter);

// `count` values of one design key from `from` to `to`, evenly spaced, or with `log` in even
// ratios.
struct SweepAxis {
  std::string key;
  double from = 0.0;
  double to = 0.0;
  int count = 1;
  bool log = false;
};

// Shard `index` of `count`: a contiguous block of the sweep's rows.
struct SweepShard {
  int index = 1;
  int count = 1;
};

struct SweepOptions {
  std::vector<SweepAxis> axes;  // every combination runs, first axis slowest
  MonteCarloOptions monte_carlo;
  SweepShard shard;
  // Whether the setter's verdict on a value of a key depends on nothing but the value, and no
  // other key's on it (DesignNumberStandsAlone for SetDesignNumber). Such axes are checked one
  // value at a time instead of in every combination. Empty: every combination is checked.
  std::function<bool(std::string_view key)> key_stands_alone;
  // The group of keys whose values are judged together with the key's (DesignNumberGroup for
  // SetDesignNumbers); empty for a key judged alone. Axes of one group are checked in every
  // combination of their values, the others one value at a time. Takes the place of
  // key_stands_alone when given.
  std::function<std::string_view(std::string_view key)> key_group;
};

// One combination: the axis values in axis order, the figures of run 1 (a single "Calculate"),
// and with more than one run the Monte-Carlo figures.
struct SweepRow {
  std::int64_t index = 0;  // among all rows of the sweep, from 0
  std::vector<double> values;
  ErrorSummary errors;
  bool has_monte_carlo = false;
  MonteCarloSummary monte_carlo;
};

// Sweeps of more designs than this run only when confirmed.
inline constexpr std::int64_t kLargeSweepDesigns = 1000000;

// "KEY=FROM:TO:COUNT" or "KEY=FROM:TO:COUNT:log", numbers read whole and without regard to the locale.
std::optional<SweepAxis> ParseSweepAxis(std::string_view text, std::string& error);
// "I/N" with 1 <= I <= N.
std::optional<SweepShard> ParseSweepShard(std::string_view text, std::string& error);

// False with a message for a count below 1, a non-finite end, an empty range (from == to with
// more than one value), one too wide for double arithmetic, or a log axis with an end not above 0.
bool CheckSweepAxis(const SweepAxis& axis, std::string& error);
// Value i of the axis: exactly `from` at the first and `to` at the last, between them
// from + (to - from) * i / (count - 1) rounded at the 15th significant digit of the larger end
// and read back (on a log axis from * (to / from)^(i / (count - 1)) at its own 15th digit), so that "-0.45:-0.15:7" gives -0.4, -0.35, ... and "-0.3:0.3:3" gives 0 as typed.
double SweepAxisValue(const SweepAxis& axis, int i);
// The number of combinations; empty with a message when it does not fit in 64 bits or an axis is
// invalid.
std::optional<std::int64_t> SweepCombinations(const std::vector<SweepAxis>& axes, std::string& error);
// The rows [first, last) of a shard: [total * (I - 1) / N, total * I / N).
struct SweepRowRange {
  std::int64_t first = 0;
  std::int64_t last = 0;
};
SweepRowRange ShardRows(std::int64_t total, const SweepShard& shard);
// The axis values of row `row`, the last axis running fastest.
std::vector<double> SweepRowValues(const std::vector<SweepAxis>& axes, std::int64_t row);

// Hears each row as it is done; false with a message stops the sweep.
using SweepRowSink = std::function<bool(const SweepRow& row, std::string& error)>;

// Runs the shard's rows of the sweep over copies of `base`, each edited through `setter`. The
// values of every row of the whole sweep are tried with the setter before anything is computed
// (axis by axis and within the check groups of SweepOptions),
// so an invalid one is reported with its row by every shard. Rows go to `sink` as they are done, so memory
// does not grow with the sweep. The base design is never changed. With one run per row, several
// rows are computed at once on the compute threads, so `setter` may be called on several threads
// at a time; `sink` and `progress` hear from the calling thread only, in row order. `started`,
// when given, is called once every check has passed, right before the first row is computed (the
// window shows its busy state from there). Rows computed on other threads hear a cancel too, and
// the calling thread reports progress at least every few hundredths of a second meanwhile.
AnalysisStatus RunSweep(const DesignRecord& base, const SweepOptions& options, const DesignRowSetter& setter,
                        Progress& progress, const SweepRowSink& sink, std::string& error,
                        const std::function<void()>& started = {});
// The same with the values of a row set one key at a time.
AnalysisStatus RunSweep(const DesignRecord& base, const SweepOptions& options, const DesignSetter& setter,
                        Progress& progress, const SweepRowSink& sink, std::string& error,
                        const std::function<void()>& started = {});

// CSV of a sweep: the keys, max_error_m, rms_error_m, failed_points and, with more than one run,
// max_trueness_m, mean_trueness_m, max_precision_m, mean_precision_m, mc_rms_error_m,
// p95_error_m, failed_estimates, max_bound_m, rms_bound_m. Every shard writes the header, so the shards' files joined in
// order, without the headers of the second and later ones, are the whole sweep's file.
std::string SweepCsvHeader(const SweepOptions& options);
std::string SweepCsvLine(const SweepRow& row);

// RunSweep with the CSV text (the header first, then a line per row) going to `write`.
AnalysisStatus RunSweepCsv(const DesignRecord& base, const SweepOptions& options,
                           const DesignRowSetter& setter, Progress& progress,
                           const std::function<bool(std::string_view text, std::string& error)>& write,
                           std::string& error);
AnalysisStatus RunSweepCsv(const DesignRecord& base, const SweepOptions& options, const DesignSetter& setter,
                           Progress& progress,
                           const std::function<bool(std::string_view text, std::string& error)>& write,
                           std::string& error);

}  // namespace orvendi
