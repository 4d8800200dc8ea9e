#include "cli/cli_optimize.h"

#include "cli/cli_options.h"
#include "cli/cli_outputs.h"
#include "cli/progress_bar.h"
#include "core/analysis/csv_text.h"
#include "core/design/atomic_file.h"
#include "core/design/control_text.h"
#include "core/design/design_file.h"
#include "core/design/number_text.h"

namespace orvendi {

bool ParseOptimizeArgs(const OptimizeArgs& args, OptimizeOptions& options, std::string& error) {
  if (!ParseThreadsOption(args.threads, error)) return false;
  const std::optional<OptimizeObjective> objective = ParseObjective(args.objective, error);
  if (!objective) return false;
  options.objective = *objective;
  for (const std::string& text : args.vary) {
    const std::optional<OptimizeVariable> variable = ParseOptimizeVariable(text, error);
    if (!variable) return false;
    options.variables.push_back(*variable);
  }
  for (const std::string& text : args.ties) {
    const std::optional<OptimizeTie> tie = ParseOptimizeTie(text, error);
    if (!tie) return false;
    options.ties.push_back(*tie);
  }
  const std::optional<int> runs = ParseWholeOption("--runs", args.runs, 1, kMaxMonteCarloRuns, error);
  const std::optional<int> evaluations =
      runs ? ParseWholeOption("--evaluations", args.evaluations, 1, kMaxOptimizeEvaluations, error) : std::nullopt;
  const std::optional<std::uint64_t> seed = evaluations ? ParseSeedOption(args.seed, error) : std::nullopt;
  if (!seed) return false;
  options.runs = *runs;
  options.evaluations = *evaluations;
  options.seed = *seed;
  std::string reason;
  if (!ReadWholeDouble(args.min_spacing, options.min_spacing_m, reason)) {
    error = "--min-spacing: " + reason;
    return false;
  }
  return CheckOptimizeOptions(options, error) &&
         CheckDistinctFiles({{"FILE", args.file}, {"--out", args.out}, {"--log", args.log_csv}}, error);
}

std::string OptimizeText(const OptimizeOptions& options, const OptimizeResult& result) {
  std::string text = "objective: " + std::string(ObjectiveName(options.objective)) + "\n";
  text += "start_objective: " + NumberText(result.start_objective) + "\n";
  text += "best_objective: " + NumberText(result.best_objective) + "\n";
  text += "evaluations: " + std::to_string(result.evaluations) + "\n";
  text += "refused_points: " + std::to_string(result.refused) + "\n";
  for (std::size_t i = 0; i < options.variables.size() && i < result.best_values.size(); ++i)
    text += options.variables[i].key + ": " + NumberText(result.best_values[i]) + "\n";
  return text;
}

int CliOptimize(const OptimizeArgs& args, CliProgress& progress, const Console& console) {
  OptimizeOptions options;
  std::string error;
  AtomicFileWriter out;
  AtomicFileWriter log;
  DesignRecord design;
  StoredView view;
  if (!ParseOptimizeArgs(args, options, error) || !out.Open(args.out, error) ||
      (!args.log_csv.empty() && (!log.Open(args.log_csv, error) || !log.Write(OptimizeLogHeader(options), error))) ||
      !ReadDesignFile(args.file, design, view, error)) {
    Complain(console, error);
    return kExitUsage;
  }
  const auto sink = [&](const OptimizeEvaluation& evaluation, std::string& reason) {
    return !log.IsOpen() || log.Write(OptimizeLogLine(evaluation), reason);
  };
  OptimizeResult result;
  const AnalysisStatus status = RunOptimize(design, options, SetDesignNumbers, progress, sink, result, error);
  progress.Finish();
  if (status == AnalysisStatus::kFailed) {
    Complain(console, error);
    return kExitFailed;
  }
  if (result.best_values.empty()) {
    Complain(console, "interrupted before a point was computed; no output file was written");
    return kExitInterrupted;
  }
  const std::string best = WriteDesignJson(result.best, view);
  const auto print = [&] { return console.out(OptimizeText(options, result)); };
  if (!CommitOutputs({{&out, best}, {&log, ""}}, print, error)) {
    Complain(console, error);
    return kExitFailed;
  }
  if (status == AnalysisStatus::kDone) return kExitOk;
  Complain(console, "interrupted; wrote the best design so far to " + EscapeControlCharacters(args.out));
  return kExitInterrupted;
}

}  // namespace orvendi
