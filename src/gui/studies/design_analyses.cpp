#include "gui/studies/design_analyses.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QSettings>
#include <QWidget>
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
#include "core/dialogs/window_runs.h"
#include "core/dialogs/preferences.h"
#include "core/platform/compute_threads.h"
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
#include "gui/widgets/qt_text.h"

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

void DesignAnalyses::RunMonteCarloCommand() {
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
  MonteCarloResultDialog figures(state_.monte_carlo.result.summary, &window_);
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
  auto* window = new PlotWindow(MakeSweepChart(SweepPlotSeries(rows), parameter, SweepRowsWithFailures(rows)),
                                QStringLiteral("Sweep: ") + ToQString(parameter), &window_);
  window->SetCsv(SweepCsv(options, rows), QStringLiteral("sweep.csv"));
  window->show();
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

void DesignAnalyses::OpenPlot(std::string_view name) {
  if (state_.design.results_valid == 0) return;
  const PointResults run = CollectPointResults(state_.design, state_.results);
  PlotWindow* window = nullptr;
  if (name == plot_names::kErrorDistance) {
    window = new PlotWindow(MakeErrorDistanceChart(ErrorAgainstDistance(state_.design, run)),
                            QStringLiteral("Error against Distance"), &window_);
  } else if (name == plot_names::kErrorHistogram) {
    const int bins = HistogramBins(static_cast<int>(run.rows.size()) - run.summary.failed_points);
    window = new PlotWindow(MakeErrorHistogramChart(MakeErrorHistogram(run, bins)),
                            QStringLiteral("Error Histogram"), &window_);
  }
  if (window != nullptr) window->show();
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
