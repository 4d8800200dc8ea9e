#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/point_results.h"
#include "core/analysis/sweep.h"
#include "core/design/design_record.h"

namespace orvendi {

class CliProgress;
class Progress;

// Where a command's text goes: standard output and standard error in the program, strings in
// tests. `out` returns false when the text could not be written.
struct Console {
  std::function<bool(std::string_view)> out;
  std::function<void(std::string_view)> err;
};

// The options of the subcommands as the command line gives them, numbers still as text: each
// command checks its own, so that every bad argument gets the same one-line message.
struct CalculateArgs {
  std::string file;
  std::string points_csv;    // empty: none
  std::string summary_json;  // empty: none
  std::string threads;  // empty: every core
  bool volume = false;  // every plane along the scan's third axis
};

// bound takes what calculate takes.
using BoundArgs = CalculateArgs;

struct BedArgs {
  std::string file;
  bool json = false;
  std::string threads;  // empty: every core
};

struct MonteCarloArgs {
  std::string file;
  std::string runs;
  std::string seed = "1";
  std::string points_csv;
  std::string summary_json;
  std::string threads;  // empty: every core
  bool volume = false;
};

struct SweepArgs {
  std::string file;
  std::vector<std::string> vary;  // "KEY=FROM:TO:COUNT" each
  std::string runs = "1";
  std::string seed = "1";
  std::string shard = "1/1";
  std::string out_csv;
  bool yes = false;
  std::string threads;  // empty: every core
};

// "Calculate" of the window on a copy of the design: CalculateCommand with a fresh run state
// and result buffer, then the per-point results, whose summary is what "Positional Error..."
// shows after it. False when `progress` asked to stop.
bool CalculateDesign(const DesignRecord& design, Progress& progress, PointResults& points);

// The subcommands. Each returns the exit status (cli_options.h) and, when it fails, has written
// one line on `console.err` and left no output file behind (an existing one is kept as it was).
int CliNew(const std::string& file, const Console& console);
int CliValidate(const std::string& file, const Console& console);
int CliCalculate(const CalculateArgs& args, CliProgress& progress, const Console& console);
// The precision bound at every grid point: prints the summary, --points and --summary as calculate.
int CliBound(const BoundArgs& args, CliProgress& progress, const Console& console);
int CliBed(const BedArgs& args, CliProgress& progress, const Console& console);
int CliMonteCarlo(const MonteCarloArgs& args, CliProgress& progress, const Console& console);
int CliSweep(const SweepArgs& args, CliProgress& progress, const Console& console);

// The exit status of an analysis that did not finish, after its message (nothing when it did):
// kExitInterrupted when cancelled, kExitUsage when it refused its input.
std::optional<int> UnfinishedExit(AnalysisStatus status, const std::string& error, CliProgress& progress,
                                  const Console& console);

// "orvendi-cli: " and the message, on one line.
void Complain(const Console& console, std::string_view message);

}  // namespace orvendi
