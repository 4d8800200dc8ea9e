#pragma once

#include <QObject>
#include <memory>
#include <string_view>

#include "core/analysis/live_calculation.h"

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

  void RunMonteCarloCommand();
  void RunSweepCommand();
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
  void LoadProgramSettings();
  void ShowLiveResult();

  AppState& state_;
  DrawingWindow& drawing_;
  QWidget& window_;
  bool live_update_ = false;
  std::unique_ptr<LiveCalculation> live_;
};

}  // namespace orvendi
