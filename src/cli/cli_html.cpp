#include "cli/cli_html.h"

#include <optional>

#include "cli/cli_options.h"
#include "cli/cli_outputs.h"
#include "cli/progress_bar.h"
#include "core/analysis/monte_carlo.h"
#include "core/analysis/volume.h"
#include "core/design/atomic_file.h"
#include "core/design/control_text.h"
#include "core/design/design_file.h"
#include "core/field/bed_model.h"
#include "core/position/calculation.h"
#include "core/views/report_html.h"

namespace orvendi {

namespace {

bool ParseReportArgs(const ReportArgs& args, std::optional<MonteCarloOptions>& monte_carlo, std::string& error) {
  if (!ParseThreadsOption(args.threads, error)) return false;
  if (!args.runs.empty()) {
    const std::optional<int> runs = ParseWholeOption("--runs", args.runs, 1, kMaxMonteCarloRuns, error);
    const std::optional<std::uint64_t> seed = runs ? ParseSeedOption(args.seed, error) : std::nullopt;
    if (!seed) return false;
    monte_carlo = MonteCarloOptions{*runs, *seed};
  }
  return CheckDistinctFiles({{"FILE", args.file}, {"--out", args.out_html}}, error);
}

}  // namespace

int CliReport(const ReportArgs& args, CliProgress& progress, const Console& console) {
  std::optional<MonteCarloOptions> monte_carlo;
  std::string error;
  AtomicFileWriter out;
  ReportInputs inputs;
  if (!ParseReportArgs(args, monte_carlo, error) || !out.Open(args.out_html, error) ||
      !ReadDesignFile(args.file, inputs.design, inputs.view, error)) {
    Complain(console, error);
    return kExitUsage;
  }
  inputs.title = args.file;
  const int parts = 1 + (args.volume ? 1 : 0) + (args.bound ? 1 : 0) + (monte_carlo ? 1 : 0);
  int part = 0;
  const auto next = [&]() {
    const double from = static_cast<double>(part) / parts;
    ++part;
    return PartProgress(progress, from, static_cast<double>(part) / parts);
  };
  const auto interrupted = [&]() { return *UnfinishedExit(AnalysisStatus::kCancelled, "", progress, console); };

  ResultBuffer results;
  CalculationWork work;
  {
    PartProgress share = next();
    CalculateCommand(inputs.design, results, work, share);
  }
  if (inputs.design.results_valid == 0) return interrupted();
  const PointResults calculation = CollectPointResults(inputs.design, results);
  inputs.results = &results;
  inputs.calculation = &calculation;

  VolumeResult volume;
  if (args.volume) {
    PartProgress share = next();
    if (!RunVolumeCalculation(inputs.design, share, volume)) return interrupted();
    inputs.volume = &volume;
  }
  BoundSummary bound;
  if (args.bound) {
    PartProgress share = next();
    std::vector<BoundPoint> points;
    if (!BoundGrid(inputs.design, points, ProgressOf(share))) return interrupted();
    bound = SummariseBounds(points);
    inputs.bound = &bound;
  }
  MonteCarloResult monte_carlo_result;
  if (monte_carlo) {
    PartProgress share = next();
    if (const std::optional<int> status = UnfinishedExit(
            RunMonteCarlo(inputs.design, *monte_carlo, share, monte_carlo_result, error), error, progress, console))
      return *status;
    inputs.monte_carlo = &monte_carlo_result;
    inputs.monte_carlo_seed = monte_carlo->seed;
  }
  progress.Finish();
  const std::string html = ReportHtml(inputs);
  const std::string printed = "wrote " + EscapeControlCharacters(args.out_html) + "\n";
  if (!CommitOutputs({{&out, html}}, [&] { return console.out(printed); }, error)) {
    Complain(console, error);
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace orvendi
