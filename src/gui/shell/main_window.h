#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUndoStack>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "core/analysis/live_calculation.h"
#include "core/app/app_state.h"
#include "core/app/command_dispatch.h"
#include "core/views/design_history.h"

class QAction;
class QMenu;

namespace orvendi {

class DrawingWindow;
class HelpWindow;
class InfobarWidget;
class RecoveryStore;
struct StoredView;

// The main window: the menu "CommandMenu", the drawing area above the read-out strip, the keys,
// the dispatch of every command, and the design file it shows with its undo steps, its recent
// files and its recovery copy. Owns the one instance of the program's state.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Where Open, Save As and Export ask for a path: an empty answer cancels. Tests answer
  // themselves.
  enum class FileQuestion { kOpen, kSaveAs, kExportCsv };
  using FileChooser = std::function<QString(FileQuestion question, const QString& suggestion)>;

  // A pause after the last change before the design goes to the recovery file.
  static constexpr int kRecoveryDelayMs = 5000;

  // `recovery_folder`: where the unsaved design is kept; empty for the user's data folder.
  explicit MainWindow(const QString& recovery_folder = {});
  ~MainWindow() override;

  AppState& State() { return *state_; }
  DrawingWindow* Drawing() const { return drawing_; }
  InfobarWidget* Infobar() const { return infobar_; }
  HelpWindow* Help() const { return help_.get(); }
  // The menu item carrying a command id, or null.
  QAction* ActionFor(int id) const;
  QMenu* RecentMenu() const { return recent_menu_; }
  QUndoStack& UndoStack() { return undo_; }
  RecoveryStore& Recovery() { return *recovery_; }
  const QTimer& RecoveryTimer() const { return recovery_timer_; }

  // Carries out one command id as the menu does. Returns false for ids the program does not
  // handle.
  bool RunCommand(int id);
  // Check and grey marks of every item, from the records.
  void UpdateMenuMarks();

  void SetFileChooser(FileChooser chooser) { choose_file_ = std::move(chooser); }
  // The design's file, empty while untitled.
  const QString& FilePath() const { return path_; }
  // Opens a design file, replacing the design without asking; a file that cannot be read is
  // reported and changes nothing. Returns whether it was opened.
  bool OpenFile(const QString& path);
  // Writes the design to `path` and makes it the design's file; a failure is reported.
  bool SaveFile(const QString& path);
  // The recent files, most recent first, as kept in the settings.
  QStringList RecentFiles() const;

  // Offers each design that a program no longer running left unsaved: Restore opens it as a
  // modified design, Discard deletes it.
  void OfferRecovery();
  // Writes the recovery file at once instead of after the pause.
  void WriteRecoveryNow();

  // Live update (Results > Live Update, kept in the settings): while it is on, the maps show a
  // calculation of the design as it stands or as the mouse edit under way would leave it, made
  // on a worker thread. Turning it off shows the last run's estimates again.
  bool LiveUpdate() const { return live_update_; }
  void SetLiveUpdate(bool on);
  LiveCalculation& Live() { return *live_; }

 signals:
  // Another design took the window's place (New, Open, a restored design); the undo steps of the
  // one before are gone.
  void DesignReplaced();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateMenus();
  void LayoutChildren(int width, int height);
  int OpenOwnedDialog(std::string_view name, DialogOwner owner);
  void CopyToClipboard();
  void ShowHelpIndex();
  // Results: the runs, the sweep and the plots of the last run, each in a window of its own.
  void RunMonteCarloCommand();
  void RunSweepCommand();
  void OpenPlot(std::string_view name);
  bool ConfirmClose();

  // The design changed: marks it modified and starts the pause before the recovery file.
  void DesignChanged();
  void PushStep(std::optional<DesignStep> step);
  void ApplySnapshot(const DesignRecord& snapshot, bool sets_bed_stale);
  // A new design in the window (New, Open, restore): no undo steps, the drawing repainted.
  void ReplaceDesign(const DesignRecord& design, const StoredView* view, const QString& path, bool modified);
  void SetModified(bool modified);
  void UpdateTitle();

  void NewDesign();
  void OpenChosenFile();
  void OpenRecentFile(int index);
  bool Save();
  bool SaveAs();
  void ExportCsv();
  void AddRecent(const QString& path);
  void ForgetRecent(const QString& path);
  void FillRecentMenu();
  QString ChooseFile(FileQuestion question, const QString& suggestion);
  void ShowFileProblem(const QString& message);

  void LoadProgramSettings();
  void ShowPreferences();
  // Live update: a computation of `design` is requested, its result shown when it comes, or
  // every request dropped along with the preview.
  void RequestLive(const DesignRecord& design, LiveDetail detail);
  void FollowDesign();
  void ShowLiveResult();
  void DropLivePreview();

  std::unique_ptr<AppState> state_;
  QWidget* client_ = nullptr;
  DrawingWindow* drawing_ = nullptr;
  InfobarWidget* infobar_ = nullptr;
  std::unique_ptr<HelpWindow> help_;
  std::map<int, QAction*> actions_;
  QMenu* recent_menu_ = nullptr;
  QUndoStack undo_;
  QString path_;
  FileChooser choose_file_;
  std::unique_ptr<RecoveryStore> recovery_;
  QTimer recovery_timer_;
  bool live_update_ = false;
  std::unique_ptr<LiveCalculation> live_;
};

}  // namespace orvendi
