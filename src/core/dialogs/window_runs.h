#pragma once

#include <string>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/sweep.h"
#include "core/design/design_record.h"
#include "core/position/calculation.h"
#include "core/position/precision_bound.h"

namespace orvendi {

class BusyHost;
class Progress;

// The long computations as the window runs them: while one runs, the mouse is captured and the
// busy cursor shown; afterwards, done or stopped, the cursor comes back, the mouse is released
// and the whole drawing is repainted. `progress` hears the share done and may stop them.

// The bed model, only when it is stale. False when it stopped; the results stay stale then.
bool RefreshBedModelInWindow(DesignRecord& design, BusyHost& host, Progress& progress);

// "Calculate": a stale bed model that the run uses first, in a busy state of its own, then the
// run in another. A stopped bed model abandons the run.
void CalculateInWindow(DesignRecord& design, ResultBuffer& results, CalculationWork& work, BusyHost& host,
                       Progress& progress);

// RunMonteCarlo; options it refuses fail before the busy state.
AnalysisStatus RunMonteCarloInWindow(const DesignRecord& design, const MonteCarloOptions& options,
                                     BusyHost& host, Progress& progress, MonteCarloResult& result,
                                     std::string& error);

// "Precision Bound": BoundGrid on a copy whose stale bed model, when the run includes it, is
// brought up to date first. False when it stopped.
bool RunBoundInWindow(const DesignRecord& design, BusyHost& host, Progress& progress,
                      std::vector<BoundPoint>& points);

// RunSweep; the busy state begins only once the sweep has passed its checks.
AnalysisStatus RunSweepInWindow(const DesignRecord& base, const SweepOptions& options,
                                const DesignRowSetter& setter, BusyHost& host, Progress& progress,
                                const SweepRowSink& sink, std::string& error);

}  // namespace orvendi
