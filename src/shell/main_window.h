#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <string_view>

#include "shell/app_state.h"
#include "shell/command_dispatch.h"

class QAction;

namespace orvendi {

class DrawingWindow;
class HelpWindow;
class InfobarWidget;

// The main window ("Orvendi"): the menu "CommandMenu", the drawing area above the read-out
// strip, the keys, and the dispatch of every command. Owns the one instance of the program's
// state.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow();
  ~MainWindow() override;

  AppState& State() { return *state_; }
  DrawingWindow* Drawing() const { return drawing_; }
  InfobarWidget* Infobar() const { return infobar_; }
  HelpWindow* Help() const { return help_.get(); }
  // The menu item carrying a command id, or null.
  QAction* ActionFor(int id) const;

  // Carries out one command id as the menu does. Returns false for ids the program does not
  // handle.
  bool RunCommand(int id);
  // Check and grey marks of every item, from the records.
  void UpdateMenuMarks();

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
  bool ConfirmClose();

  std::unique_ptr<AppState> state_;
  QWidget* client_ = nullptr;
  DrawingWindow* drawing_ = nullptr;
  InfobarWidget* infobar_ = nullptr;
  std::unique_ptr<HelpWindow> help_;
  std::map<int, QAction*> actions_;
};

}  // namespace orvendi
