#pragma once

#include <QMainWindow>
#include <QString>
#include <QUndoStack>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "core/app/app_state.h"
#include "core/app/command_dispatch.h"
#include "core/views/design_history.h"

class QAction;
class QMenu;

namespace orvendi {

class DesignAnalyses;
class DesignFiles;
class DrawingWindow;
class HelpWindow;
class InfobarWidget;
struct StoredView;

// The main window: the menu "CommandMenu", the drawing area above the read-out strip, the keys,
// the dispatch of every command and the undo steps of the design. Its file (DesignFiles) and
// its analyses (DesignAnalyses) are parts of their own. Owns the one instance of the program's
// state.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `recovery_folder`: where the unsaved design is kept; empty for the user's data folder.
  explicit MainWindow(const QString& recovery_folder = {});
  ~MainWindow() override;

  AppState& State() { return *state_; }
  DrawingWindow* Drawing() const { return drawing_; }
  InfobarWidget* Infobar() const { return infobar_; }
  HelpWindow* Help() const { return help_.get(); }
  DesignFiles& Files() { return *files_; }
  DesignAnalyses& Analyses() { return *analyses_; }
  // The menu item carrying a command id, or null.
  QAction* ActionFor(int id) const;
  QMenu* RecentMenu() const { return recent_menu_; }
  QUndoStack& UndoStack() { return undo_; }

  // Carries out one command id as the menu does. Returns false for ids the program does not
  // handle.
  bool RunCommand(int id);
  // Check and grey marks of every item, from the records.
  void UpdateMenuMarks();

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
  void FillRecentMenu();
  void LayoutChildren(int width, int height);
  int OpenOwnedDialog(std::string_view name, DialogOwner owner);
  void CopyToClipboard();
  void ShowHelpIndex();

  void PushStep(std::optional<DesignStep> step);
  void ApplySnapshot(const DesignRecord& snapshot, bool sets_bed_stale);
  // A new design in the window (New, Open, restore): no undo steps, the drawing repainted.
  void ReplaceDesign(const DesignRecord& design, const StoredView* view, const QString& path, bool modified);

  std::unique_ptr<AppState> state_;
  QWidget* client_ = nullptr;
  DrawingWindow* drawing_ = nullptr;
  InfobarWidget* infobar_ = nullptr;
  std::unique_ptr<HelpWindow> help_;
  std::map<int, QAction*> actions_;
  QMenu* recent_menu_ = nullptr;
  QUndoStack undo_;
  std::unique_ptr<DesignAnalyses> analyses_;
  std::unique_ptr<DesignFiles> files_;
};

}  // namespace orvendi
