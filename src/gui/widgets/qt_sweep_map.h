#pragma once

#include <string>

#include "core/dialogs/sweep_entries.h"

class QChart;

namespace orvendi {

// The map of a two-parameter sweep: each design a cell coloured by its figure on the program's
// colour scale (grey where it has none), the first parameter across, the second up, and the
// scale's bar with its range in mm beside.
QChart* MakeSweepMapChart(const SweepMap& map, const std::string& x_name, const std::string& y_name);

}  // namespace orvendi
