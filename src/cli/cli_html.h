#pragma once

#include <string>

#include "cli/cli_commands.h"

namespace orvendi {

struct ReportArgs {
  std::string file;
  std::string out_html;
  bool volume = false;
  bool bound = false;
  std::string runs;  // empty: no Monte-Carlo run
  std::string seed = "1";
  std::string threads;  // empty: every core
};

// "report": calculates the design, and its volume, bound and Monte-Carlo runs where asked, and
// writes the one-page HTML report.
int CliReport(const ReportArgs& args, CliProgress& progress, const Console& console);

}  // namespace orvendi
