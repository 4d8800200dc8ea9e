#include "cli/cli_commands.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/sweep.h"
#include "core/analysis/volume.h"
#include "cli/cli_options.h"
#include "cli/cli_outputs.h"
#include "cli/cli_report.h"
#include "cli/progress_bar.h"
#include "core/design/atomic_file.h"
#include "core/design/control_text.h"
#include "core/design/design_file.h"
#include "core/design/design_warnings.h"
#include "core/field/bed_model.h"
#include "core/position/calculation.h"
#include "core/position/precision_bound.h"

namespace orvendi {

namespace {

constexpr const char* kInterrupted = "interrupted; no output file was written";

bool ReadDesign(const std::string& file, DesignRecord& design, const Console& console) {
  StoredView view;
  std::string error;
  if (ReadDesignFile(file, design, view, error)) return true;
  Complain(console, error);
  return false;
}

void Warn(const Console& console, const std::string& file, const DesignRecord& design) {
  for (const std::string& warning : PhysicalWarnings(design))
    console.err(EscapeControlCharacters("warning: " + file + ": " + warning) + "\n");
}

// A computing command's design and output files, all checked before anything is computed, so
// that a bad argument costs no computation and leaves nothing behind.
struct Job {
  DesignRecord design;
  AtomicFileWriter points;
  AtomicFileWriter summary;
};

bool PrepareJob(const std::string& file, const std::string& threads, const std::string& points_path,
                const std::string& summary_path, Job& job, const Console& console) {
  std::string error;
  const bool ready =
      ParseThreadsOption(threads, error) &&
      CheckDistinctFiles({{"FILE", file}, {"--points", points_path}, {"--summary", summary_path}}, error) &&
      (points_path.empty() || job.points.Open(points_path, error)) &&
      (summary_path.empty() || job.summary.Open(summary_path, error));
  if (!ready) {
    Complain(console, error);
    return false;
  }
  return ReadDesign(file, job.design, console);
}

// The outputs replace their targets only when the printed figures went out as well.
int FinishJob(Job& job, CliProgress& progress, std::string_view points_text, std::string_view summary_text,
              std::string_view printed, const Console& console) {
  progress.Finish();
  std::string error;
  const auto print = [&] { return console.out(printed); };
  if (!CommitOutputs({{&job.points, points_text}, {&job.summary, summary_text}}, print, error)) {
    Complain(console, error);
    return kExitFailed;
  }
  return kExitOk;
}

int Interrupted(CliProgress& progress, const Console& console) {
  progress.Finish();
  Complain(console, kInterrupted);
  return kExitInterrupted;
}

// The --vary arguments as axes: each well formed, naming a numeric key of a design file, and
// no key twice.
bool ParseAxes(const std::vector<std::string>& texts, std::vector<SweepAxis>& axes, std::string& error) {
  if (texts.empty()) {
    error = "a sweep needs at least one --vary KEY=FROM:TO:COUNT";
    return false;
  }
  const std::vector<std::string>& keys = NumericDesignKeys();
  for (const std::string& text : texts) {
    std::optional<SweepAxis> axis = ParseSweepAxis(text, error);
    if (!axis) return false;
    if (std::find(keys.begin(), keys.end(), axis->key) == keys.end()) {
      error = "--vary " + text + ": \"" + axis->key +
              "\" is not a numeric key of a design file (such as frequency_hz or generators[1].x)";
      return false;
    }
    const auto same = [&](const SweepAxis& other) { return other.key == axis->key; };
    if (std::any_of(axes.begin(), axes.end(), same)) {
      error = "--vary " + text + ": \"" + axis->key + "\" is varied twice";
      return false;
    }
    axes.push_back(std::move(*axis));
  }
  return true;
}

bool ParseSweepArgs(const SweepArgs& args, SweepOptions& options, std::string& error) {
  if (!ParseThreadsOption(args.threads, error) || !ParseAxes(args.vary, options.axes, error)) return false;
  const std::optional<int> runs = ParseWholeOption("--runs", args.runs, 1, kMaxMonteCarloRuns, error);
  const std::optional<std::uint64_t> seed = runs ? ParseSeedOption(args.seed, error) : std::nullopt;
  const std::optional<SweepShard> shard = seed ? ParseSweepShard(args.shard, error) : std::nullopt;
  if (!shard) return false;
  options.monte_carlo = {*runs, *seed};
  options.shard = *shard;
  return CheckDistinctFiles({{"FILE", args.file}, {"--out", args.out_csv}}, error);
}

int MonteCarloVolumeCommand(Job& job, const MonteCarloOptions& options, CliProgress& progress,
                            const Console& console) {
  MonteCarloVolume volume;
  std::string error;
  if (const std::optional<int> status =
          UnfinishedExit(RunVolumeMonteCarlo(job.design, options, progress, volume, error), error, progress, console))
    return *status;
  std::vector<std::string> csvs;
  if (job.points.IsOpen())
    for (const MonteCarloResult& plane : volume.planes) csvs.push_back(MonteCarloPointsCsv(plane.points));
  return FinishJob(job, progress, PlaneIndexedCsv(csvs), MonteCarloVolumeJson(volume, options.seed, job.design),
                   MonteCarloVolumeText(volume), console);
}

}  // namespace

std::optional<int> UnfinishedExit(AnalysisStatus status, const std::string& error, CliProgress& progress,
                                  const Console& console) {
  switch (status) {
    case AnalysisStatus::kDone:
      return std::nullopt;
    case AnalysisStatus::kCancelled:
      return Interrupted(progress, console);
    case AnalysisStatus::kFailed:
      break;
  }
  progress.Finish();
  Complain(console, error);
  return kExitUsage;
}

void Complain(const Console& console, std::string_view message) {
  console.err("orvendi-cli: " + EscapeControlCharacters(message) + "\n");
}

bool CalculateDesign(const DesignRecord& design, Progress& progress, PointResults& points) {
  DesignRecord copy = design;
  ResultBuffer results;
  CalculationWork work;
  CalculateCommand(copy, results, work, progress);
  if (copy.results_valid == 0) return false;
  points = CollectPointResults(copy, results);
  return true;
}

int CliNew(const std::string& file, const Console& console) {
  DesignRecord design;
  ApplyDesignDefaults(design);
  const StoredView view;
  if (file.empty() || file == "-") {
    if (console.out(WriteDesignJson(design, view))) return kExitOk;
    Complain(console, "cannot write to standard output");
    return kExitFailed;
  }
  std::string error;
  if (WriteDesignFile(file, design, view, error)) return kExitOk;
  Complain(console, error);
  return kExitUsage;
}

int CliValidate(const std::string& file, const Console& console) {
  const std::vector<std::string> problems = ValidateDesignFile(file);
  for (const std::string& problem : problems) console.err(EscapeControlCharacters(problem) + "\n");
  if (!problems.empty()) return kExitUsage;
  DesignRecord design;
  if (!ReadDesign(file, design, console)) return kExitUsage;
  Warn(console, file, design);
  if (console.out(EscapeControlCharacters(file) + ": no problems\n")) return kExitOk;
  Complain(console, "cannot write to standard output");
  return kExitFailed;
}

int CliCalculate(const CalculateArgs& args, CliProgress& progress, const Console& console) {
  Job job;
  if (!PrepareJob(args.file, args.threads, args.points_csv, args.summary_json, job, console))
    return kExitUsage;
  Warn(console, args.file, job.design);
  if (args.volume) {
    VolumeResult volume;
    if (!RunVolumeCalculation(job.design, progress, volume)) return Interrupted(progress, console);
    std::vector<std::string> csvs;
    if (job.points.IsOpen())
      for (const VolumePlane& plane : volume.planes) csvs.push_back(PointResultsCsv(plane.points.rows));
    return FinishJob(job, progress, PlaneIndexedCsv(csvs), VolumeJson(volume), VolumeText(volume), console);
  }
  PointResults points;
  if (!CalculateDesign(job.design, progress, points)) return Interrupted(progress, console);
  return FinishJob(job, progress, PointResultsCsv(points.rows), CalculationJson(points.summary, job.design),
                   CalculationText(points.summary, job.design), console);
}

int CliBound(const BoundArgs& args, CliProgress& progress, const Console& console) {
  Job job;
  if (!PrepareJob(args.file, args.threads, args.points_csv, args.summary_json, job, console))
    return kExitUsage;
  if (args.volume) {
    BoundVolume volume;
    if (!RunVolumeBound(job.design, progress, volume)) return Interrupted(progress, console);
    std::vector<std::string> csvs;
    if (job.points.IsOpen())
      for (const std::vector<BoundPoint>& plane : volume.planes) csvs.push_back(BoundPointsCsv(plane));
    return FinishJob(job, progress, PlaneIndexedCsv(csvs), BoundVolumeJson(volume), BoundVolumeText(volume),
                     console);
  }
  std::vector<BoundPoint> points;
  const auto report = [&progress](double share) { return progress.Report(share); };
  if ((job.design.include_bed_currents != 0 && !RefreshBedModel(job.design, progress)) ||
      !BoundGrid(job.design, points, report))
    return Interrupted(progress, console);
  const BoundSummary summary = SummariseBounds(points);
  return FinishJob(job, progress, BoundPointsCsv(points), BoundJson(summary), BoundText(summary), console);
}

int CliBed(const BedArgs& args, CliProgress& progress, const Console& console) {
  Job job;
  if (!PrepareJob(args.file, args.threads, "", "", job, console)) return kExitUsage;
  if (!RefreshBedModel(job.design, progress)) return Interrupted(progress, console);
  return FinishJob(job, progress, "", "", args.json ? BedJson(job.design) : BedText(job.design), console);
}

int CliMonteCarlo(const MonteCarloArgs& args, CliProgress& progress, const Console& console) {
  std::string error;
  const std::optional<int> runs = ParseWholeOption("--runs", args.runs, 1, kMaxMonteCarloRuns, error);
  const std::optional<std::uint64_t> seed = runs ? ParseSeedOption(args.seed, error) : std::nullopt;
  if (!seed) {
    Complain(console, error);
    return kExitUsage;
  }
  Job job;
  if (!PrepareJob(args.file, args.threads, args.points_csv, args.summary_json, job, console))
    return kExitUsage;
  if (args.volume) return MonteCarloVolumeCommand(job, {*runs, *seed}, progress, console);
  MonteCarloResult result;
  if (const std::optional<int> status =
          UnfinishedExit(RunMonteCarlo(job.design, {*runs, *seed}, progress, result, error), error, progress, console))
    return *status;
  return FinishJob(job, progress, MonteCarloPointsCsv(result.points), MonteCarloJson(result.summary, *seed, job.design),
                   MonteCarloText(result.summary, job.design), console);
}

int CliSweep(const SweepArgs& args, CliProgress& progress, const Console& console) {
  SweepOptions options;
  std::string error;
  DesignRecord base;
  if (!ParseSweepArgs(args, options, error)) {
    Complain(console, error);
    return kExitUsage;
  }
  if (!ReadDesign(args.file, base, console)) return kExitUsage;
  options.key_group = DesignNumberGroup;
  const std::optional<std::int64_t> total = SweepCombinations(options.axes, error);
  if (!total) {
    Complain(console, error);
    return kExitUsage;
  }
  if (*total > kLargeSweepDesigns && !args.yes) {
    Complain(console, "the sweep has " + std::to_string(*total) + " designs, more than " +
                          std::to_string(kLargeSweepDesigns) + "; add --yes to run it");
    return kExitUsage;
  }
  AtomicFileWriter out;
  if (!out.Open(args.out_csv, error)) {
    Complain(console, error);
    return kExitUsage;
  }

  // Before the header is written the sweep is still checking its values: a refusal then is the
  // design's, afterwards the output's.
  bool started = false;
  const auto write = [&](std::string_view text, std::string& reason) {
    started = true;
    return out.Write(text, reason);
  };
  const AnalysisStatus status = RunSweepCsv(base, options, SetDesignNumbers, progress, write, error);
  progress.Finish();
  if (status == AnalysisStatus::kCancelled) return Interrupted(progress, console);
  if (status == AnalysisStatus::kFailed) {
    Complain(console, started ? error : args.file + ": " + error);
    return started ? kExitFailed : kExitUsage;
  }
  const SweepRowRange rows = ShardRows(*total, options.shard);
  const std::string report = "wrote " + std::to_string(rows.last - rows.first) + " of " +
                             std::to_string(*total) + " rows (shard " + std::to_string(options.shard.index) +
                             "/" + std::to_string(options.shard.count) + ") to " +
                             EscapeControlCharacters(args.out_csv) + "\n";
  const auto print = [&] { return console.out(report); };
  if (!CommitOutputs({{&out, ""}}, print, error)) {
    Complain(console, error);
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace orvendi
