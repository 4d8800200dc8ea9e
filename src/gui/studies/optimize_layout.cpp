// Results -> Optimize Layout: the search run from the window, its progress and the best layout so far.
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QWidget>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "core/analysis/optimize.h"
#include "core/app/app_state.h"
#include "core/design/design_file.h"
#include "core/design/design_schema.h"
#include "core/design/number_text.h"
#include "core/dialogs/optimize_entries.h"
#include "core/platform/host.h"
#include "core/views/view_geometry.h"
#include "gui/dialogs/optimize_dialog.h"
#include "gui/studies/design_analyses.h"
#include "gui/widgets/drawing_window.h"
#include "gui/widgets/plot_window.h"
#include "gui/widgets/qt_progress_host.h"
#include "gui/widgets/qt_text.h"

namespace orvendi {

namespace {

QString Millimetres(double metres) {
  return std::isfinite(metres) ? QString::fromStdString(FormatNumber(metres * 1000.0, ShowFormat::kGeneral)) +
                                     QStringLiteral(" mm")
                               : QStringLiteral("none");
}

// The best objective against the evaluations, growing as the search goes.
class BestSoFarChart {
 public:
  explicit BestSoFarChart(int evaluations) : chart_(new QChart) {
    chart_->setTitle(QStringLiteral("Best objective so far"));
    chart_->legend()->hide();
    series_ = new QLineSeries;
    chart_->addSeries(series_);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Evaluations"));
    x->setLabelFormat(QStringLiteral("%g"));
    x->setRange(0, evaluations);
    y_ = new QValueAxis;
    y_->setTitleText(QStringLiteral("Objective (mm)"));
    y_->setLabelFormat(QStringLiteral("%g"));
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(y_, Qt::AlignLeft);
    series_->attachAxis(x);
    series_->attachAxis(y_);
  }
  QChart* Chart() const { return chart_; }

  void Add(int evaluation, double best_m) {
    if (!std::isfinite(best_m) || series_.isNull() || y_.isNull()) return;
    const double mm = best_m * 1000.0;
    high_ = series_->count() == 0 ? mm : std::max(high_, mm);
    series_->append(evaluation, mm);
    y_->setRange(0.0, high_ > 0.0 ? high_ * 1.05 : 1.0);
  }

 private:
  QChart* chart_;
  // The plot window owns the chart and may be closed before the search ends.
  QPointer<QLineSeries> series_;
  QPointer<QValueAxis> y_;
  double high_ = 0.0;
};

}  // namespace

bool DesignAnalyses::RunOptimizeCommand() {
  // Positions default to what the plan view shows.
  double x_low = -0.5, x_high = 0.5, y_low = -0.5, y_high = 0.5;
  if (state_.view.current_view == 0 && drawing_.viewport()->width() > 1 && drawing_.viewport()->height() > 1) {
    const int width = drawing_.viewport()->width();
    const int height = drawing_.viewport()->height();
    x_low = WindowToWorldX(state_.view, 0);
    x_high = WindowToWorldX(state_.view, width);
    const double top = WindowToWorldY(state_.view, 0, 0);
    const double bottom = WindowToWorldY(state_.view, 0, height);
    y_low = std::min(top, bottom);
    y_high = std::max(top, bottom);
  }
  OptimizeDialog dialog(DefaultOptimizeEntries(state_.design, x_low, x_high, y_low, y_high), &window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  const OptimizeOptions options = dialog.Options();

  const DesignRecord original = state_.design;
  const bool live_shown = state_.live.shown;
  BestSoFarChart chart(options.evaluations);
  auto* plot = new PlotWindow(chart.Chart(), QStringLiteral("Optimize Layout: best so far"), &window_);
  plot->show();
  OptimizeResult result;
  std::string error;
  AnalysisStatus status;
  {
    ProgressHost progress(drawing_, &window_, QStringLiteral("Optimizing layout..."), 0);
    BusyScope busy(progress);
    double shown_best = std::numeric_limits<double>::quiet_NaN();
    const OptimizeSink sink = [&](const OptimizeEvaluation& point, std::string&) {
      chart.Add(point.index, point.best_objective);
      if (QProgressDialog* box = progress.ProgressDialog()) {
        box->setLabelText(QStringLiteral("Optimizing layout: best %1 after %2 of %3 evaluations")
                              .arg(Millimetres(point.best_objective))
                              .arg(point.index)
                              .arg(options.evaluations));
      }
      if (!result.best_values.empty() && !(point.best_objective == shown_best)) {
        // The drawing shows the best layout so far, without maps of the design it replaces.
        shown_best = point.best_objective;
        state_.design = result.best;
        CopyKeysOfKind(KeyKind::kSession, original, state_.design);
        state_.design.results_valid = 0;
        // Unmodified, so that no recovery copy keeps a layout not accepted.
        state_.design.design_modified = 0;
        state_.live.shown = false;
        InvalidateDrawing(drawing_);
      }
      return true;
    };
    status = RunOptimize(original, options, SetDesignNumbers, progress, sink, result, error);
  }
  state_.design = original;
  state_.live.shown = live_shown;
  InvalidateDrawing(drawing_);
  if (status == AnalysisStatus::kFailed) {
    QMessageBox::warning(&window_, QStringLiteral("Optimize Layout"), ToQString(error));
    return false;
  }
  if (result.best_values.empty()) return false;
  if (!std::isfinite(result.best_objective)) {
    // Nothing to offer: every layout tried left some point without an estimate.
    QMessageBox::information(&window_, QStringLiteral("Optimize Layout"),
                             QStringLiteral("No layout of the %1 evaluations gave every point an estimate; "
                                            "the design is unchanged.")
                                 .arg(result.evaluations));
    return false;
  }
  const QString found = QStringLiteral("%1 after %2 evaluations (the design as it is: %3)")
                            .arg(Millimetres(result.best_objective))
                            .arg(result.evaluations)
                            .arg(Millimetres(result.start_objective));
  const QString question = status == AnalysisStatus::kCancelled
                               ? QStringLiteral("The search was stopped. Apply the best layout so far, ") + found +
                                     QStringLiteral("?")
                               : QStringLiteral("Apply the best layout found, ") + found + QStringLiteral("?");
  if (QMessageBox::question(&window_, QStringLiteral("Optimize Layout"), question,
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes)
    return false;
  return ApplyOptimizeResult(options, result, state_.design);
}

}  // namespace orvendi
