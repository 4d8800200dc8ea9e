// orvendi-cli: the computations of Orvendi without a window. Only the wiring of the command line
// lives here; the subcommands are in cli_commands.
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "cli/cli_commands.h"
#include "cli/cli_field.h"
#include "cli/cli_html.h"
#include "cli/cli_optimize.h"
#include "cli/cli_options.h"
#include "cli/progress_bar.h"
#include "core/design/atomic_file.h"

namespace {

volatile std::sig_atomic_t stop_requested = 0;
volatile std::sig_atomic_t progress_shown = 0;

constexpr char kStoppedNow[] = "\norvendi-cli: interrupted; no output file was written\n";

// The first SIGINT, SIGTERM or SIGHUP stops the computation at its next progress report, so that
// the outputs' temporary files are removed; a second one removes them and ends the program at once.
extern "C" void RequestStop(int) {
  if (stop_requested == 0) {
    stop_requested = 1;
    return;
  }
  orvendi::RemoveTemporaryFilesNow();
  // The message begins a line of its own after the progress bar.
  const int skipped = progress_shown != 0 ? 0 : 1;
  [[maybe_unused]] const ssize_t written =
      write(STDERR_FILENO, kStoppedNow + skipped, sizeof kStoppedNow - 1 - skipped);
  _exit(orvendi::kExitInterrupted);
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool WriteTo(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
}

double SecondsNow() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Common {
  bool quiet = false;
};

CLI::App* AddCommand(CLI::App& app, const char* name, const char* description, Common& common) {
  CLI::App* command = app.add_subcommand(name, description);
  command->add_flag("-q,--quiet", common.quiet, "No progress bar");
  return command;
}

void AddThreads(CLI::App* command, std::string& threads) {
  command
      ->add_option("--threads", threads, "Threads to compute with (default: every core; results never depend on it)")
      ->type_name("N")
      ->capture_default_str();
}

// An output named by an empty text would otherwise mean "no output".
const CLI::Validator kFileName(
    [](std::string& name) {
      return name.empty() ? std::string("an empty file name names no file") : std::string();
    },
    "", "FILE_NAME");

void AddOutputs(CLI::App* command, std::string& points, std::string& summary) {
  command->add_option("--points", points, "Write the per-point results as CSV")
      ->type_name("CSV")
      ->check(kFileName);
  command->add_option("--summary", summary, "Write the figures as JSON")->type_name("JSON")->check(kFileName);
}

void AddSeed(CLI::App* command, std::string& seed) {
  command->add_option("--seed", seed, "Seed of the noise of runs 2 and later")
      ->type_name("S")
      ->capture_default_str();
}

void AddVolume(CLI::App* command, bool& volume) {
  command->add_flag("--volume", volume,
                    "Every plane along the scan's third axis (z for XY, x for YZ, y for ZX); --points gains a "
                    "plane_index column");
}

void AddDesignFile(CLI::App* command, std::string& file) {
  command->add_option("FILE", file, "Design file")->required()->type_name("");
}

// A usage error in one line, with where to read more.
int UsageError(const CLI::App& app, const CLI::ParseError& error, const orvendi::Console& console) {
  std::string command = "orvendi-cli";
  for (const CLI::App* sub : app.get_subcommands()) command += " " + sub->get_name();
  orvendi::Complain(console, std::string(error.what()) + " (see " + command + " --help)");
  return orvendi::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  using namespace orvendi;

  const Console console{[](std::string_view text) { return WriteTo(stdout, text); },
                        [](std::string_view text) { WriteTo(stderr, text); }};

  CLI::App app{"Orvendi without a window: design files, calculations, Monte-Carlo runs and parameter sweeps.",
               "orvendi-cli"};
  app.require_subcommand(1, 1);
  Common common;

  std::string new_file;
  CLI::App* new_command =
      AddCommand(app, "new", "Write the default design (to standard output without FILE)", common);
  new_command->add_option("FILE", new_file, "Design file to write (- for standard output)")
      ->type_name("")
      ->check(kFileName);

  std::string validate_file;
  CLI::App* validate = AddCommand(app, "validate", "Report every problem of a design file", common);
  AddDesignFile(validate, validate_file);

  CalculateArgs calculate_args;
  CLI::App* calculate =
      AddCommand(app, "calculate", "Run the calculation and print the max and RMS error", common);
  AddDesignFile(calculate, calculate_args.file);
  AddOutputs(calculate, calculate_args.points_csv, calculate_args.summary_json);
  AddThreads(calculate, calculate_args.threads);
  AddVolume(calculate, calculate_args.volume);

  BoundArgs bound_args;
  CLI::App* bound =
      AddCommand(app, "bound", "Compute the precision bound at every grid point and print its figures", common);
  AddDesignFile(bound, bound_args.file);
  AddOutputs(bound, bound_args.points_csv, bound_args.summary_json);
  AddThreads(bound, bound_args.threads);
  AddVolume(bound, bound_args.volume);

  BedArgs bed_args;
  CLI::App* bed = AddCommand(app, "bed", "Print the nine bed voltages and currents", common);
  AddDesignFile(bed, bed_args.file);
  bed->add_flag("--json", bed_args.json, "Print JSON");
  AddThreads(bed, bed_args.threads);

  FieldArgs field_args;
  CLI::App* field = AddCommand(app, "field", "Print each coil's field and the bed's field at a point", common);
  AddDesignFile(field, field_args.file);
  field->add_option("--at", field_args.at, "The point, in metres")->required()->type_name("X,Y,Z");
  field->add_flag("--json", field_args.json, "Print JSON");
  AddThreads(field, field_args.threads);

  MonteCarloArgs monte_carlo_args;
  CLI::App* monte_carlo = AddCommand(
      app, "montecarlo", "Repeat the calculation with other noise and report trueness and precision", common);
  AddDesignFile(monte_carlo, monte_carlo_args.file);
  monte_carlo->add_option("--runs", monte_carlo_args.runs, "Number of runs")->required()->type_name("N");
  AddSeed(monte_carlo, monte_carlo_args.seed);
  AddOutputs(monte_carlo, monte_carlo_args.points_csv, monte_carlo_args.summary_json);
  AddThreads(monte_carlo, monte_carlo_args.threads);
  AddVolume(monte_carlo, monte_carlo_args.volume);

  SweepArgs sweep_args;
  CLI::App* sweep =
      AddCommand(app, "sweep", "Calculate every combination of values of some design keys", common);
  AddDesignFile(sweep, sweep_args.file);
  sweep
      ->add_option("--vary", sweep_args.vary,
                   "A design key and its values, FROM to TO in COUNT steps, in even ratios with :log (repeatable)")
      ->required()
      ->allow_extra_args(false)
      ->type_name("KEY=FROM:TO:COUNT[:log]");
  sweep->add_option("--runs", sweep_args.runs, "Runs per design (more than 1 adds the Monte-Carlo figures)")
      ->type_name("N")
      ->capture_default_str();
  AddSeed(sweep, sweep_args.seed);
  sweep->add_option("--shard", sweep_args.shard, "Compute only part I of N of the rows")
      ->type_name("I/N")
      ->capture_default_str();
  sweep->add_option("--out", sweep_args.out_csv, "CSV file to write")
      ->required()
      ->type_name("CSV")
      ->check(kFileName);
  sweep->add_flag("--yes", sweep_args.yes, "Run a sweep of more than a million designs");
  AddThreads(sweep, sweep_args.threads);

  ReportArgs report_args;
  CLI::App* report = AddCommand(app, "report", "Write a one-page HTML report of the design and its results", common);
  AddDesignFile(report, report_args.file);
  report->add_option("--out", report_args.out_html, "HTML file to write")
      ->required()
      ->type_name("HTML")
      ->check(kFileName);
  report->add_flag("--volume", report_args.volume, "Add the figures of every plane along the scan's third axis");
  report->add_flag("--bound", report_args.bound, "Add the precision bound's figures");
  report->add_option("--runs", report_args.runs, "Add a Monte-Carlo run of N runs")->type_name("N");
  AddSeed(report, report_args.seed);
  AddThreads(report, report_args.threads);
  OptimizeArgs optimize_args;
  CLI::App* optimize = AddCommand(app, "optimize", "Search for the design values that make an error smallest", common);
  AddDesignFile(optimize, optimize_args.file);
  optimize->add_option("--vary", optimize_args.vary, "A design key free to move between LO and HI (repeatable)")
      ->required()
      ->allow_extra_args(false)
      ->type_name("KEY=LO:HI");
  optimize
      ->add_option("--objective", optimize_args.objective,
                   "What to make smallest: max, rms, mc-rms, mc-p95, bound-max or bound-rms")
      ->required()
      ->type_name("OBJ");
  optimize->add_option("--runs", optimize_args.runs, "Runs of the Monte-Carlo objectives")
      ->type_name("N")
      ->capture_default_str();
  optimize->add_option("--evaluations", optimize_args.evaluations, "Designs to compute at most")
      ->type_name("N")
      ->capture_default_str();
  optimize->add_option("--seed", optimize_args.seed, "Seed of the search's random choices")
      ->type_name("S")
      ->capture_default_str();
  optimize->add_option("--min-spacing", optimize_args.min_spacing, "Least distance between generators in the plane (m)")
      ->type_name("D")
      ->capture_default_str();
  optimize->add_option("--tie", optimize_args.ties, "A key that follows a varied one, as it is or negated (repeatable)")
      ->allow_extra_args(false)
      ->type_name("KEY=[-]OTHER");
  optimize->add_option("--out", optimize_args.out, "Design file to write with the best values")
      ->required()
      ->type_name("BEST")
      ->check(kFileName);
  optimize->add_option("--log", optimize_args.log_csv, "Write a CSV row per evaluation")
      ->type_name("CSV")
      ->check(kFileName);
  AddThreads(optimize, optimize_args.threads);

  // CLI11 would only say that a subcommand is required.
  const auto named = [&](const CLI::App* command) { return command->check_name(argv[1]); };
  if (argc > 1 && argv[1][0] != '-' && app.get_subcommands(named).empty()) {
    Complain(console, "unknown command \"" + std::string(argv[1]) +
                          "\"; the commands are new, validate, calculate, bound, bed, field, montecarlo, sweep, optimize and report");
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(error);
    return UsageError(app, error, console);
  }

  ProgressBar bar([](std::string_view text) { WriteTo(stderr, text); }, SecondsNow);
  const bool show_progress = !common.quiet && isatty(STDERR_FILENO) == 1;
  CliProgress progress(&stop_requested, show_progress ? &bar : nullptr);
  progress_shown = show_progress ? 1 : 0;
  CatchStopSignals();
  try {
    if (new_command->parsed()) return CliNew(new_file, console);
    if (validate->parsed()) return CliValidate(validate_file, console);
    if (calculate->parsed()) return CliCalculate(calculate_args, progress, console);
    if (bound->parsed()) return CliBound(bound_args, progress, console);
    if (bed->parsed()) return CliBed(bed_args, progress, console);
    if (field->parsed()) return CliField(field_args, progress, console);
    if (monte_carlo->parsed()) return CliMonteCarlo(monte_carlo_args, progress, console);
    if (report->parsed()) return CliReport(report_args, progress, console);
    if (optimize->parsed()) return CliOptimize(optimize_args, progress, console);
    return CliSweep(sweep_args, progress, console);
  } catch (const std::exception& failure) {
    progress.Finish();
    Complain(console, failure.what());
    return kExitFailed;
  }
}
