#include "gui/studies/design_analyses.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QSettings>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/point_results.h"
#include "core/analysis/sweep.h"
#include "core/app/app_state.h"
#include "core/app/command_table.h"
#include "core/design/design_file.h"
#include "core/dialogs/analysis_requests.h"
#include "core/dialogs/sweep_entries.h"
#include "core/dialogs/window_runs.h"
#include "core/dialogs/preferences.h"
#include "core/field/eddy_sheet.h"
#include "core/field/sheet_bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/views/sheet_current_map.h"
#include "core/views/view_geometry.h"
#include "gui/dialogs/monte_carlo_dialog.h"
#include "gui/dialogs/monte_carlo_result_dialog.h"
#include "gui/dialogs/preferences_dialog.h"
#include "gui/dialogs/qt_dialogs.h"
#include "gui/dialogs/sweep_dialog.h"
#include "gui/widgets/drawing_window.h"
#include "gui/widgets/plot_window.h"
#include "gui/widgets/qt_error_charts.h"
#include "gui/widgets/qt_progress_host.h"
#include "gui/widgets/qt_sheet_map.h"
#include "gui/widgets/qt_sweep_map.h"
#include "gui/widgets/qt_text.h"
#include "gui/studies/volume_window.h"

namespace orvendi {

namespace {

const QString kThreadsKey = QStringLiteral("compute/threads");
const QString kLiveUpdateKey = QStringLiteral("results/liveUpdate");

}  // namespace

DesignAnalyses::DesignAnalyses(AppState& state, DrawingWindow& drawing, QWidget& window)
    : state_(state), drawing_(drawing), window_(window) {
  // The worker's call comes on its own thread; the result is taken on this one.
  live_ = std::make_unique<LiveCalculation>(
      [this] { QMetaObject::invokeMethod(this, [this] { ShowLiveResult(); }, Qt::QueuedConnection); });
  LoadProgramSettings();
}

// The worker reads nothing of the window, but its call posts to this object.
DesignAnalyses::~DesignAnalyses() { live_.reset(); }

void DesignAnalyses::RunMonteCarloCommand(const QString& design_path) {
  MonteCarloOptions previous;
  previous.runs = kDefaultMonteCarloRuns;
  if (state_.monte_carlo.present) previous = state_.monte_carlo.options;
  MonteCarloDialog dialog(previous, &window_);
  if (dialog.exec() != QDialog::Accepted) return;
  const MonteCarloOptions options = dialog.Options();
  MonteCarloResult result;
  std::string error;
  AnalysisStatus status;
  {
    ProgressHost progress(drawing_, &window_, QStringLiteral("Running Monte Carlo..."));
    status = RunMonteCarloInWindow(state_.design, options, progress, progress, result, error);
  }
  if (status == AnalysisStatus::kCancelled) return;
  if (status == AnalysisStatus::kFailed) {
    QMessageBox::warning(&window_, QStringLiteral("Monte Carlo"), ToQString(error));
    return;
  }
  state_.monte_carlo = MonteCarloRecord{true, state_.design, options, std::move(result)};
  InvalidateDrawing(drawing_);
  std::string name = design_path.toStdString();
  if (!name.empty() && state_.design.design_modified != 0) name += " (with unsaved changes)";
  MonteCarloResultDialog figures(
      MonteCarloReportText(name, options, state_.monte_carlo.result.summary, state_.design), &window_);
  figures.exec();
}

void DesignAnalyses::RunSweepCommand() {
  SweepDialog dialog(state_.design, &window_);
  if (dialog.exec() != QDialog::Accepted) return;
  SweepOptions options = dialog.Options();
  options.key_group = DesignNumberGroup;
  std::string error;
  const std::optional<std::int64_t> designs = SweepCombinations(options.axes, error);
  if (designs && *designs > kLargeSweepDesigns) {
    const QString question = QStringLiteral("The sweep has %1 designs, more than %2. Run it?")
                                 .arg(*designs)
                                 .arg(kLargeSweepDesigns);
    if (QMessageBox::question(&window_, QStringLiteral("Sweep"), question, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes) {
      return;
    }
  }
  std::vector<SweepRow> rows;
  const SweepRowSink keep = [&rows](const SweepRow& row, std::string&) {
    rows.push_back(row);
    return true;
  };
  AnalysisStatus status;
  {
    ProgressHost progress(drawing_, &window_, QStringLiteral("Sweeping..."));
    status = RunSweepInWindow(state_.design, options, SetDesignNumbers, progress, progress, keep, error);
  }
  if (status == AnalysisStatus::kCancelled) return;
  if (status == AnalysisStatus::kFailed) {
    QMessageBox::warning(&window_, QStringLiteral("Sweep"), ToQString(error));
    return;
  }
  const std::string parameter = dialog.ParameterName();
  QChart* chart = nullptr;
  if (options.axes.size() == 2) {
    chart = MakeSweepMapChart(MakeSweepMap(options, rows, dialog.MapResult()),
                              SweepParameterName(options.axes[0].key), SweepParameterName(options.axes[1].key));
  } else {
    chart = MakeSweepChart(SweepPlotSeries(rows), parameter, SweepRowsWithFailures(rows), options.axes[0].log);
  }
  auto* window = new PlotWindow(chart, QStringLiteral("Sweep: ") + ToQString(parameter), &window_);
  window->SetCsv(SweepCsv(options, rows), QStringLiteral("sweep.csv"));
  window->show();
}

void DesignAnalyses::RunVolumeCommand() {
  VolumeResult volume;
  bool done = false;
  {
    ProgressHost progress(drawing_, &window_, QStringLiteral("Calculating the volume..."));
    done = RunVolumeCalculation(state_.design, progress, volume);
  }
  if (!done) return;
  has_volume_ = true;
  volume_design_ = state_.design;
  volume_ = volume;
  auto* window = new VolumeWindow(state_.design, std::move(volume), &window_);
  window->show();
}

ReportInputs DesignAnalyses::Report(const std::string& title, PointResults& points) const {
  const bool volume_current = has_volume_ && SameSimulationInputs(volume_design_, state_.design);
  return SceneReport(state_, title, points, volume_current ? &volume_ : nullptr);
}

void DesignAnalyses::RunBoundCommand() {
  std::vector<BoundPoint> points;
  bool done;
  {
    ProgressHost progress(drawing_, &window_, QStringLiteral("Computing the precision bound..."));
    done = RunBoundInWindow(state_.design, progress, progress, points);
  }
  if (!done) return;
  const BoundSummary summary = SummariseBounds(points);
  state_.bound = BoundRecord{true, state_.design, std::move(points)};
  InvalidateDrawing(drawing_);
  QMessageBox::information(&window_, QStringLiteral("Precision Bound"), ToQString(BoundSummaryText(summary)));
}

void DesignAnalyses::OpenSheetCurrents() {
  const std::shared_ptr<const EddySheet> sheet =
      state_.design.bed_model == 1 ? CachedSheet(state_.design) : nullptr;
  if (!sheet) {
    QMessageBox::information(&window_, QStringLiteral("Sheet Currents"),
                             QStringLiteral("Calculate first: the picture shows the eddy-current sheet "
                                            "solved for the design as it stands."));
    return;
  }
  // The window keeps the sheet it opened with: later runs do not change it.
  const auto make = [sheet](int index) {
    const int coil = index / kSheetPartCount;
    const auto part = static_cast<SheetPart>(index % kSheetPartCount);
    const std::string title = SheetCoilName(coil) + ": " + std::string(SheetPartName(part)) + " of the mesh current";
    return MakeSheetCurrentChart(MakeSheetCurrentMap(*sheet, coil, part), ToQString(title));
  };
  auto* window = new PlotWindow(make(0), QStringLiteral("Sheet Currents"), &window_);
  QStringList names;
  for (int coil = 0; coil < kCoilCount; ++coil) {
    for (int part = 0; part < kSheetPartCount; ++part)
      names << ToQString(SheetCoilName(coil) + ", " + std::string(SheetPartName(static_cast<SheetPart>(part))));
  }
  window->SetChoices(names, make);
  window->show();
}

void DesignAnalyses::OpenPlot(std::string_view name) {
  if (name == plot_names::kSheetCurrents) {
    OpenSheetCurrents();
    return;
  }
  if (state_.design.results_valid == 0) return;
  const bool histogram = name == plot_names::kErrorHistogram;
  if (!histogram && name != plot_names::kErrorDistance) return;
  const MonteCarloRecord* record = CurrentMonteCarlo(state_);
  const std::vector<PlotQuantity> quantities = PlotQuantities(record == nullptr ? nullptr : &record->result);
  // The window keeps what it plots: later runs do not change an open plot.
  const std::vector<PointFigure> error = PointFigures(CollectPointResults(state_.design, state_.results));
  const std::vector<MonteCarloPoint> points = record == nullptr ? std::vector<MonteCarloPoint>{} : record->result.points;
  const DesignRecord design = state_.design;
  const auto make = [histogram, quantities, error, points, design](int index) {
    const PlotQuantity quantity = quantities[static_cast<std::size_t>(index)];
    const std::vector<PointFigure> figures = quantity == PlotQuantity::kError ? error : PointFigures(points, quantity);
    if (!histogram) return MakeErrorDistanceChart(FigureAgainstDistance(design, figures), quantity);
    const int finite = static_cast<int>(std::count_if(figures.begin(), figures.end(),
                                                      [](const PointFigure& f) { return std::isfinite(f.value); }));
    return MakeErrorHistogramChart(MakeHistogram(figures, HistogramBins(finite)), quantity);
  };
  auto* window = new PlotWindow(make(0), histogram ? QStringLiteral("Error Histogram") : QStringLiteral("Error against Distance"),
                                &window_);
  QStringList names;
  for (const PlotQuantity quantity : quantities) names << ToQString(PlotQuantityName(quantity));
  window->SetChoices(names, make);
  window->show();
}

void DesignAnalyses::LoadProgramSettings() {
  QSettings settings;
  // A stored value that does not read (edited by hand) leaves every core.
  const std::optional<int> threads = ReadThreadsEntry(settings.value(kThreadsKey).toString().toStdString());
  SetComputeThreads(threads.value_or(0));
  live_update_ = settings.value(kLiveUpdateKey, false).toBool();
}

void DesignAnalyses::ShowPreferences() {
  PreferencesDialog dialog(ComputeThreadsSetting(), &window_);
  dialog.adjustSize();
  CentreDialog(&dialog);
  if (dialog.exec() != QDialog::Accepted) return;
  SetComputeThreads(dialog.Threads());
  QSettings().setValue(kThreadsKey, dialog.Threads());
}

void DesignAnalyses::SetLiveUpdate(bool on) {
  live_update_ = on;
  QSettings().setValue(kLiveUpdateKey, on);
  if (on) {
    FollowDesign();
  } else {
    DropLivePreview();
  }
  emit LiveUpdateChanged();
}

void DesignAnalyses::RequestLive(const DesignRecord& design, LiveDetail detail) {
  live_->Request(design, state_.work, detail);
}

void DesignAnalyses::FollowDesign() {
  if (live_update_) RequestLive(state_.design, LiveDetail::kWhole);
}

void DesignAnalyses::ShowLiveResult() {
  std::optional<LiveResult> result = live_->TakeResult();
  if (!result || !live_update_) return;
  state_.live.result = std::move(*result);
  state_.live.shown = true;
  InvalidateDrawing(drawing_);
}

void DesignAnalyses::DropLivePreview() {
  live_->Cancel();
  if (!state_.live.shown) return;
  state_.live.shown = false;
  InvalidateDrawing(drawing_);
}

}  // namespace orvendi
