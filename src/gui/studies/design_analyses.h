#pragma once

#include <QObject>
#include <memory>
#include <string_view>

#include "core/analysis/live_calculation.h"
#include "core/analysis/volume.h"
#include "core/design/design_record.h"
#include "core/views/report_html.h"

class QWidget;

namespace orvendi {

class DrawingWindow;
struct AppState;
struct DesignRecord;

// The analyses of the design for the main window: the Monte-Carlo runs, the sweep and the plots
// of the last run, each in a window of its own, live update and the program's preferences.
class DesignAnalyses : public QObject {
  Q_OBJECT

 public:
  // Reads the thread count and live update from the settings.
  DesignAnalyses(AppState& state, DrawingWindow& drawing, QWidget& window);
  ~DesignAnalyses() override;

  // The result names the design by `design_path`, empty before the first save.
  void RunMonteCarloCommand(const QString& design_path);
  void RunSweepCommand();
  // Calculates every plane of the scan's third axis with progress and shows them.
  void RunVolumeCommand();
  // The report of what the window shows, with the last volume while the design computes the same;
  // `points` keeps the last run's per-point results the inputs point to.
  ReportInputs Report(const std::string& title, PointResults& points) const;
  // Results -> Optimize Layout: asks for the search, runs it with its progress, the best layout
  // so far drawn and its objective plotted, and offers the best found. True when it was applied to
  // the design, which the caller makes one undo step. While it runs, the design shows the best
  // layout unmodified, so that no recovery copy is written of it.
  bool RunOptimizeCommand();
  // Results > Precision Bound: the bound at every grid point for the error map, with progress.
  void RunBoundCommand();
  // The plot window `name` (plot_names) of the last run; nothing without results.
  void OpenPlot(std::string_view name);
  void ShowPreferences();

  // Live update (Results > Live Update, kept in the settings): while it is on, the maps show a
  // calculation of the design as it stands or as the mouse edit under way would leave it, made
  // on a worker thread. Turning it off shows the last run's estimates again.
  bool LiveUpdate() const { return live_update_; }
  void SetLiveUpdate(bool on);
  LiveCalculation& Live() { return *live_; }
  // A computation of `design` is requested, its result shown when it comes.
  void RequestLive(const DesignRecord& design, LiveDetail detail);
  // The design as it stands, whole, while live update is on.
  void FollowDesign();
  // Every request dropped along with the preview.
  void DropLivePreview();

 signals:
  void LiveUpdateChanged();

 private:
  // Results > Sheet Currents: one coil's mesh currents on the solved sheet, "Calculate first"
  // while the design has none.
  void OpenSheetCurrents();
  void LoadProgramSettings();
  void ShowLiveResult();

  AppState& state_;
  DrawingWindow& drawing_;
  QWidget& window_;
  bool live_update_ = false;
  std::unique_ptr<LiveCalculation> live_;
  // The last volume calculation and the design it ran on.
  bool has_volume_ = false;
  DesignRecord volume_design_;
  VolumeResult volume_;
};

}  // namespace orvendi
