#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/sweep.h"
#include "core/design/design_record.h"
#include "core/design/design_schema.h"

namespace orvendi {

// A design value the Sweep dialog offers: its name with its unit as the list shows it, and the
// design-file key the sweep sets, so that orvendi-cli's sweep over the key gives the same rows.
struct SweepParameter {
  std::string name;  // "Frequency (Hz)", "Generator 0 x (m)"
  std::string key;   // "frequency_hz", "generators[0].x"
  KeyCheck check = KeyCheck::kAnyNumber;
};

// Every numeric key of a design file that the calculation reads, named and ordered as the design
// schema has them: the design's own values first, then each generator's, numbered from 0 as the
// window numbers them.
const std::vector<SweepParameter>& SweepParameters();
// The list's name of the key; the key itself for one the list does not hold.
std::string SweepParameterName(std::string_view key);

// What the dialog proposes on choosing a parameter: half to one and a half times what the design
// holds (0 to 1 for 0), or every choice of a value that is one of a few, with their count.
struct SweepRange {
  double from = 0.0;
  double to = 1.0;
  std::optional<int> count;
};
SweepRange ProposedSweepRange(const DesignRecord& design, int parameter);

// The figures a map of a two-parameter sweep can show, in the order of the dialog's list.
const std::vector<std::string>& SweepMapResults();

// The Sweep dialog's entries as typed, and the chosen rows of SweepParameters(); a second
// parameter of -1 sweeps one.
struct SweepEntries {
  int parameter = 0;
  std::string from;
  std::string to;
  std::string count;
  bool log = false;  // the first parameter's values in even ratios, as --vary's ":log"
  int second_parameter = -1;
  std::string second_from;
  std::string second_to;
  std::string second_count;
  int map_result = 0;
  std::string runs = "1";
  std::string seed = "1";
};

// A sweep of the chosen parameter, or of both, the first slowest; empty with one message that
// names the entry at fault: a parameter outside the list or chosen twice, a from or to that is no
// number or not finite, a count that is no whole number or below 1, from equal to to with more
// than one value, a logarithmic range with an end not above 0, runs or seed out of range, a map of Monte-Carlo figures with one run.
std::optional<SweepOptions> ReadSweepEntries(const SweepEntries& entries, std::string& error);

// A figure of a two-parameter sweep over both parameters' values, in mm: value (i, j) of the
// first parameter's value i and the second's j at millimetres[i * y_values.size() + j], NaN where
// the row gave no finite figure. Each value's cell reaches halfway to its neighbours.
struct SweepMap {
  std::string result;  // as SweepMapResults() names it
  std::vector<double> x_values, y_values;
  std::vector<double> x_edges, y_edges;  // one more than the values, in the values' order
  std::vector<double> millimetres;
  double low = 0.0, high = 0.0;  // of the finite figures; both NaN when there is none
  int missing = 0;
};
SweepMap MakeSweepMap(const SweepOptions& options, const std::vector<SweepRow>& rows, int result);

}  // namespace orvendi
