#pragma once

#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "core/analysis/optimize.h"

namespace orvendi {

struct OptimizeArgs {
  std::string file;
  std::vector<std::string> vary;  // "KEY=LO:HI" each
  std::vector<std::string> ties;  // "KEY=OTHER" or "KEY=-OTHER" each
  std::string objective;
  std::string runs = "10";
  std::string evaluations = "2000";
  std::string seed = "1";
  std::string min_spacing = "0";
  std::string out;
  std::string log_csv;  // empty: none
  std::string threads;  // empty: every core
};

// The options as the search takes them; false with one message naming the bad argument.
bool ParseOptimizeArgs(const OptimizeArgs& args, OptimizeOptions& options, std::string& error);

// "optimize": searches the box for the values that make the objective smallest, writes the design
// with them to --out, prints the objective of the input and of that design, the evaluations and
// the values. After Ctrl-C the best design so far is written all the same (exit 130).
int CliOptimize(const OptimizeArgs& args, CliProgress& progress, const Console& console);

// The printed figures: objective, start_objective, best_objective, evaluations, refused_points,
// then each variable's best value, one "name: value" line each.
std::string OptimizeText(const OptimizeOptions& options, const OptimizeResult& result);

}  // namespace orvendi
