#include "core/analysis/sweep.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "core/analysis/csv_text.h"
#include "core/analysis/sweep_check.h"
#include "core/design/number_text.h"
#include "core/field/bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/platform/progress.h"

namespace orvendi {

namespace {

// The share of the progress bar a stale bed model of the base design takes before the rows.
constexpr double kBaseBedShare = 0.02;

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

// floor(total * k / n) without overflow for 0 <= k <= n < 2^31.
std::int64_t ShareOfRows(std::int64_t total, std::int64_t k, std::int64_t n) {
  return total / n * k + total % n * k / n;
}

// Significant digits of an axis's larger end that its values are rounded to.
constexpr int kSweepDigits = 15;

// The exponent scientific notation gives a finite positive number at kSweepDigits digits.
int DecimalExponent(double magnitude) {
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                                     kSweepDigits - 1);
  const char* e = std::find(buffer, written.ptr, 'e');
  if (e == written.ptr) return 0;
  const char* digits = e + 1 + (e[1] == '+' ? 1 : 0);
  int exponent = 0;
  std::from_chars(digits, written.ptr, exponent);
  return exponent;
}

double ReadBack(std::string_view text) {
  double value = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

bool CheckSweepOptions(const SweepOptions& options, const DesignRowSetter& setter, std::int64_t& total,
                       std::string& error) {
  if (!setter) {
    error = "no way to set design values was given";
    return false;
  }
  if (options.axes.empty()) {
    error = "a sweep needs at least one axis";
    return false;
  }
  const std::optional<std::int64_t> combinations = SweepCombinations(options.axes, error);
  if (!combinations) return false;
  total = *combinations;
  if (options.shard.count < 1 || options.shard.index < 1 || options.shard.index > options.shard.count) {
    error = "shard " + std::to_string(options.shard.index) + "/" + std::to_string(options.shard.count) +
            " does not exist";
    return false;
  }
  return CheckMonteCarloOptions(options.monte_carlo, error);
}

enum class RowStatus { kDone, kCancelled, kFailed };

AnalysisStatus Stopped(RowStatus status, std::string& error) {
  if (status == RowStatus::kCancelled) {
    error = kCancelledMessage;
    return AnalysisStatus::kCancelled;
  }
  return AnalysisStatus::kFailed;
}

// Row `row` of the sweep over a copy of the prepared base: its values set, its runs simulated.
RowStatus SweepOneRow(const DesignRecord& prepared, const SweepOptions& options,
                      const DesignRowSetter& setter, std::int64_t row, const ProgressCallback& progress,
                      SweepRow& out, std::string& error) {
  out.index = row;
  out.values = SweepRowValues(options.axes, row);
  DesignRecord design = prepared;
  if (!ApplySweepRow(design, options.axes, row, out.values, setter, error)) return RowStatus::kFailed;
  MonteCarloResult result;
  if (!SimulateRuns(design, options.monte_carlo, progress, result)) return RowStatus::kCancelled;
  out.errors = result.first_run.summary;
  out.has_monte_carlo = options.monte_carlo.runs > 1;
  out.monte_carlo = result.summary;
  return RowStatus::kDone;
}

AnalysisStatus Sweep(const DesignRecord& base, const SweepOptions& options, const DesignRowSetter& setter,
                     Progress& progress, const std::function<bool(std::string&)>& start,
                     const SweepRowSink& sink, std::string& error) {
  std::int64_t total = 0;
  if (!CheckSweepOptions(options, setter, total, error)) return AnalysisStatus::kFailed;
  // Every shard checks the whole sweep, so that a bad value fails all shards alike.
  std::int64_t refused = -1;
  if (!FindFirstRefusedSweepRow(base, options, setter, progress, refused)) {
    error = kCancelledMessage;
    return AnalysisStatus::kCancelled;
  }
  if (refused >= 0) {
    DesignRecord trial = base;
    if (!ApplySweepRow(trial, options.axes, refused, SweepRowValues(options.axes, refused), setter, error)) {
      return AnalysisStatus::kFailed;
    }
  }
  if (start && !start(error)) return AnalysisStatus::kFailed;
  const SweepRowRange range = ShardRows(total, options.shard);

  // Every report goes through the relay, so that rows on other threads hear a cancel.
  CancelRelay relay(ProgressOf(progress), &progress);
  const ProgressCallback whole = [&relay](double share) { return relay.Report(share); };
  // The bed results of the base serve every row whose edits leave them current.
  DesignRecord prepared = base;
  double rows_from = 0.0;
  if (prepared.include_bed_currents != 0 && prepared.bed_stale != 0) {
    rows_from = kBaseBedShare;
    ProgressFunction bed_progress(ProgressPart(whole, 0.0, kBaseBedShare));
    if (!RefreshBedModel(prepared, bed_progress)) {
      error = kCancelledMessage;
      return AnalysisStatus::kCancelled;
    }
  }

  const double rows = static_cast<double>(range.last - range.first);
  const auto row_progress = [&](std::int64_t row) {
    const double done = static_cast<double>(row - range.first);
    const double from = rows_from + (1.0 - rows_from) * (done / rows);
    const double to = row + 1 == range.last ? 1.0 : rows_from + (1.0 - rows_from) * ((done + 1.0) / rows);
    return ProgressPart(whole, from, to);
  };
  const auto deliver = [&](const SweepRow& out) {
    std::string reason;
    if (sink(out, reason)) return true;
    error = reason.empty() ? "the sweep's output was refused" : reason;
    return false;
  };

  if (options.monte_carlo.runs > 1 || ComputeThreads() == 1) {
    // One row at a time, its runs or its grid spread over the threads.
    SweepRow out;
    for (std::int64_t row = range.first; row < range.last; ++row) {
      const RowStatus status = SweepOneRow(prepared, options, setter, row, row_progress(row), out, error);
      if (status != RowStatus::kDone) return Stopped(status, error);
      if (!deliver(out)) return AnalysisStatus::kFailed;
    }
    return AnalysisStatus::kDone;
  }

  // Single runs of small designs gain most from whole rows side by side. Their progress reports
  // are kept and passed on from this thread in row order, as are the rows themselves.
  struct RowWork {
    SweepRow out;
    std::vector<double> reports;
    RowStatus status = RowStatus::kDone;
    std::string error;
  };
  const int slots = ComputeThreads() + 8;
  std::vector<RowWork> work(static_cast<std::size_t>(slots));
  AnalysisStatus status = AnalysisStatus::kDone;
  // A row may take long (a bed model of its own): every row and this thread's waits ask the relay.
  const auto go_on = [&relay] { return relay.GoOn(); };
  const auto compute = [&](std::int64_t index, int slot) {
    RowWork& w = work[static_cast<std::size_t>(slot)];
    w.reports.clear();
    w.status = SweepOneRow(
        prepared, options, setter, range.first + index,
        [&](double share) {
          w.reports.push_back(share);
          return relay.GoOn();
        },
        w.out, w.error);
  };
  const auto finish = [&](std::int64_t index, int slot) {
    RowWork& w = work[static_cast<std::size_t>(slot)];
    const ProgressCallback part = row_progress(range.first + index);
    for (const double share : w.reports) {
      if (relay.Cancelled() || !part(share)) {
        error = kCancelledMessage;
        status = AnalysisStatus::kCancelled;
        return false;
      }
    }
    if (w.status != RowStatus::kDone) {
      error = w.error;
      status = Stopped(w.status, error);
      return false;
    }
    if (!deliver(w.out)) status = AnalysisStatus::kFailed;
    return status == AnalysisStatus::kDone;
  };
  if (!RunInOrder(range.last - range.first, slots, compute, finish, go_on) &&
      status == AnalysisStatus::kDone) {
    error = kCancelledMessage;
    status = AnalysisStatus::kCancelled;
  }
  return status;
}

}  // namespace

std::optional<SweepAxis> ParseSweepAxis(std::string_view text, std::string& error) {
  const std::string what = "sweep axis " + Quoted(text) + ": ";
  const std::size_t equals = text.find('=');
  const std::vector<std::string_view> parts = equals == std::string_view::npos
                                                  ? std::vector<std::string_view>{}
                                                  : Split(text.substr(equals + 1), ':');
  if (equals == 0 || parts.size() < 3 || parts.size() > 4 || (parts.size() == 4 && parts[3] != "log")) {
    error = what + "expected KEY=FROM:TO:COUNT or KEY=FROM:TO:COUNT:log";
    return std::nullopt;
  }
  SweepAxis axis;
  axis.key = std::string(text.substr(0, equals));
  axis.log = parts.size() == 4;
  std::string reason;
  if (!ReadWholeDouble(parts[0], axis.from, reason) || !ReadWholeDouble(parts[1], axis.to, reason)) {
    error = what + reason;
    return std::nullopt;
  }
  if (!ReadWholeInt(parts[2], axis.count)) {
    error = what + "the count " + Quoted(parts[2]) + " is not a whole number";
    return std::nullopt;
  }
  if (!CheckSweepAxis(axis, reason)) {
    error = what + reason;
    return std::nullopt;
  }
  return axis;
}

std::optional<SweepShard> ParseSweepShard(std::string_view text, std::string& error) {
  const std::string what = "shard " + Quoted(text) + ": ";
  const std::vector<std::string_view> parts = Split(text, '/');
  SweepShard shard;
  if (parts.size() != 2 || !ReadWholeInt(parts[0], shard.index) || !ReadWholeInt(parts[1], shard.count)) {
    error = what + "expected I/N with whole numbers I and N";
    return std::nullopt;
  }
  if (shard.count < 1) {
    error = what + "the number of shards must be at least 1";
    return std::nullopt;
  }
  if (shard.index < 1 || shard.index > shard.count) {
    error = what + "the shard must be from 1 to " + std::to_string(shard.count);
    return std::nullopt;
  }
  return shard;
}

bool CheckSweepAxis(const SweepAxis& axis, std::string& error) {
  if (axis.key.empty()) {
    error = "the key is missing";
  } else if (axis.count < 1) {
    error = "the count must be at least 1";
  } else if (!std::isfinite(axis.from) || !std::isfinite(axis.to)) {
    error = "the range must be finite";
  } else if (axis.count > 1 && axis.from == axis.to) {
    error = "the range is empty";
  } else if (!std::isfinite((axis.to - axis.from) * (axis.count - 1))) {
    error = "the range is too wide";
  } else if (axis.log && !(axis.from > 0.0 && axis.to > 0.0)) {
    error = "a log range must lie above 0";
  } else {
    return true;
  }
  return false;
}

double SweepAxisValue(const SweepAxis& axis, int i) {
  if (i <= 0) return axis.from;
  if (i >= axis.count - 1) return axis.to;
  if (axis.log) {
    // Rounded at its own 15th significant digit, so that decades come out as typed.
    const double value = axis.from * std::pow(axis.to / axis.from, static_cast<double>(i) / (axis.count - 1));
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                       kSweepDigits - 1);
    return ReadBack(std::string_view(buffer, static_cast<std::size_t>(written.ptr - buffer)));
  }
  const double value = axis.from + (axis.to - axis.from) * i / (axis.count - 1);
  const double scale = std::max(std::fabs(axis.from), std::fabs(axis.to));
  if (value == 0.0) return 0.0;
  // The digits after the point that scientific notation of the value keeps down to the last of
  // the 15 significant digits of the larger end.
  const int top = DecimalExponent(scale);
  const int digits = kSweepDigits - 1 - (top - DecimalExponent(std::fabs(value)));
  if (digits < 0) {
    const double unit = ReadBack("1e" + std::to_string(top - (kSweepDigits - 1)));
    return std::fabs(value) >= unit / 2 ? std::copysign(unit, value) : 0.0;
  }
  char buffer[64];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits);
  // A grid value that rounds to 0 from below is 0, not -0.
  return ReadBack(std::string_view(buffer, static_cast<std::size_t>(written.ptr - buffer))) + 0.0;
}

std::optional<std::int64_t> SweepCombinations(const std::vector<SweepAxis>& axes, std::string& error) {
  std::int64_t total = 1;
  for (const SweepAxis& axis : axes) {
    std::string reason;
    if (!CheckSweepAxis(axis, reason)) {
      error = "sweep axis " + Quoted(axis.key) + ": " + reason;
      return std::nullopt;
    }
    if (total > std::numeric_limits<std::int64_t>::max() / axis.count) {
      error = "the sweep has too many combinations to count";
      return std::nullopt;
    }
    total *= axis.count;
  }
  return total;
}

SweepRowRange ShardRows(std::int64_t total, const SweepShard& shard) {
  return {ShareOfRows(total, shard.index - 1, shard.count), ShareOfRows(total, shard.index, shard.count)};
}

std::vector<double> SweepRowValues(const std::vector<SweepAxis>& axes, std::int64_t row) {
  std::vector<double> values(axes.size());
  for (std::size_t a = axes.size(); a-- > 0;) {
    values[a] = SweepAxisValue(axes[a], static_cast<int>(row % axes[a].count));
    row /= axes[a].count;
  }
  return values;
}

DesignRowSetter KeyByKey(DesignSetter setter) {
  if (!setter) return {};
  return [setter = std::move(setter)](DesignRecord& design, std::span<const std::string_view> keys,
                                      std::span<const double> values, std::string& error) {
    for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i) {
      if (!setter(design, keys[i], values[i], error)) return false;
    }
    return true;
  };
}

AnalysisStatus RunSweep(const DesignRecord& base, const SweepOptions& options, const DesignSetter& setter,
                        Progress& progress, const SweepRowSink& sink, std::string& error,
                        const std::function<void()>& started) {
  return RunSweep(base, options, KeyByKey(setter), progress, sink, error, started);
}

AnalysisStatus RunSweep(const DesignRecord& base, const SweepOptions& options, const DesignRowSetter& setter,
                        Progress& progress, const SweepRowSink& sink, std::string& error,
                        const std::function<void()>& started) {
  const auto start = [&started](std::string&) {
    if (started) started();
    return true;
  };
  return Sweep(base, options, setter, progress, start, sink, error);
}

std::string SweepCsvHeader(const SweepOptions& options) {
  std::string out;
  for (const SweepAxis& axis : options.axes) {
    AppendCsvText(out, axis.key);
    out.push_back(',');
  }
  out += "max_error_m,rms_error_m,failed_points";
  if (options.monte_carlo.runs > 1) {
    out +=
        ",max_trueness_m,mean_trueness_m,max_precision_m,mean_precision_m,mc_rms_error_m,p95_error_m,"
        "failed_estimates,max_bound_m,rms_bound_m";
  }
  out.push_back('\n');
  return out;
}

std::string SweepCsvLine(const SweepRow& row) {
  std::string out;
  for (const double value : row.values) {
    AppendCsvNumber(out, value);
    out.push_back(',');
  }
  AppendCsvNumber(out, row.errors.max_error_m);
  AppendCsvNumbers(out, {row.errors.rms_error_m});
  out.push_back(',');
  AppendCsvInteger(out, row.errors.failed_points);
  if (row.has_monte_carlo) {
    const MonteCarloSummary& mc = row.monte_carlo;
    AppendCsvNumbers(out, {mc.max_trueness_m, mc.mean_trueness_m, mc.max_precision_m, mc.mean_precision_m,
                           mc.rms_error_m, mc.p95_error_m});
    out.push_back(',');
    AppendCsvInteger(out, mc.failed_estimates);
    AppendCsvNumbers(out, {mc.max_bound_m, mc.rms_bound_m});
  }
  out.push_back('\n');
  return out;
}

AnalysisStatus RunSweepCsv(const DesignRecord& base, const SweepOptions& options, const DesignSetter& setter,
                           Progress& progress,
                           const std::function<bool(std::string_view text, std::string& error)>& write,
                           std::string& error) {
  return RunSweepCsv(base, options, KeyByKey(setter), progress, write, error);
}

AnalysisStatus RunSweepCsv(const DesignRecord& base, const SweepOptions& options,
                           const DesignRowSetter& setter, Progress& progress,
                           const std::function<bool(std::string_view text, std::string& error)>& write,
                           std::string& error) {
  const auto header = [&](std::string& reason) { return write(SweepCsvHeader(options), reason); };
  const auto line = [&](const SweepRow& row, std::string& reason) {
    return write(SweepCsvLine(row), reason);
  };
  return Sweep(base, options, setter, progress, header, line, error);
}

}  // namespace orvendi
