#include "core/dialogs/window_runs.h"

#include <optional>

#include "core/field/bed_model.h"
#include "core/platform/host.h"
#include "core/platform/progress.h"

namespace orvendi {

bool RefreshBedModelInWindow(DesignRecord& design, BusyHost& host, Progress& progress) {
  if (design.bed_stale == 0) return true;
  BusyScope busy(host);
  return RefreshBedModel(design, progress);
}

void CalculateInWindow(DesignRecord& design, ResultBuffer& results, CalculationWork& work, BusyHost& host,
                       Progress& progress) {
  if (design.include_bed_currents != 0 && !RefreshBedModelInWindow(design, host, progress)) return;
  BusyScope busy(host);
  CalculateCommand(design, results, work, progress);
}

AnalysisStatus RunMonteCarloInWindow(const DesignRecord& design, const MonteCarloOptions& options,
                                     BusyHost& host, Progress& progress, MonteCarloResult& result,
                                     std::string& error) {
  if (!CheckMonteCarloOptions(options, error)) return AnalysisStatus::kFailed;
  BusyScope busy(host);
  return RunMonteCarlo(design, options, progress, result, error);
}

bool RunBoundInWindow(const DesignRecord& design, BusyHost& host, Progress& progress,
                      std::vector<BoundPoint>& points) {
  DesignRecord copy = design;
  if (copy.include_bed_currents != 0 && !RefreshBedModelInWindow(copy, host, progress)) return false;
  BusyScope busy(host);
  return BoundGrid(copy, points, [&progress](double share) { return progress.Report(share); });
}

AnalysisStatus RunSweepInWindow(const DesignRecord& base, const SweepOptions& options,
                                const DesignRowSetter& setter, BusyHost& host, Progress& progress,
                                const SweepRowSink& sink, std::string& error) {
  std::optional<BusyScope> busy;
  return RunSweep(base, options, setter, progress, sink, error, [&] { busy.emplace(host); });
}

}  // namespace orvendi
