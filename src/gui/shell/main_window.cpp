#include "gui/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QUndoCommand>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "core/design/design_schema.h"
#include "core/app/file_names.h"
#include "core/app/menu_model.h"
#include "core/views/live_preview.h"
#include "core/views/stored_view.h"
#include "core/views/view_geometry.h"
#include "gui/dialogs/dialogs.h"
#include "gui/files/design_files.h"
#include "gui/files/file_system_path.h"
#include "gui/shell/help_window.h"
#include "core/views/report_html.h"
#include "gui/studies/design_analyses.h"
#include "gui/studies/report_pdf.h"
#include "gui/widgets/drawing_window.h"
#include "gui/widgets/infobar_widget.h"
#include "gui/widgets/qt_clipboard_picture.h"
#include "gui/widgets/qt_progress_host.h"
#include "gui/widgets/qt_text.h"

// The resources live in a static library: their registration must be pulled in by name.
static void InitOrvendiResources() { Q_INIT_RESOURCE(orvendi); }

namespace orvendi {

namespace {

// One design step on the undo stack. The edit has been made when the step is pushed, so the
// push's redo does nothing.
class DesignStepCommand : public QUndoCommand {
 public:
  using Apply = std::function<void(const DesignRecord& snapshot, bool sets_bed_stale)>;

  DesignStepCommand(DesignStep step, Apply apply)
      : QUndoCommand(ToQString(step.name)), step_(std::move(step)), apply_(std::move(apply)) {}

  void undo() override { apply_(step_.before, step_.sets_bed_stale); }
  void redo() override {
    if (pushed_) {
      pushed_ = false;
      return;
    }
    apply_(step_.after, step_.sets_bed_stale);
  }

 private:
  DesignStep step_;
  Apply apply_;
  bool pushed_ = true;
};

}  // namespace

MainWindow::MainWindow(const QString& recovery_folder) : state_(std::make_unique<AppState>()) {
  InitOrvendiResources();
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Orvendi"));
  setWindowIcon(QIcon(QStringLiteral(":/orvendi.svg")));
  // Keys go to the main window: no child asks for the focus.
  setFocusPolicy(Qt::StrongFocus);

  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("Client"));
  client_->setFocusPolicy(Qt::NoFocus);
  setCentralWidget(client_);

  drawing_ = new DrawingWindow(*state_, client_);
  state_->infobar = InfobarWidget::MeasureLayout();
  infobar_ = new InfobarWidget(*state_, drawing_->viewport(), client_);
  drawing_->SetInfobar(infobar_);
  ApplyViewDefaults(state_->view, *drawing_);
  ApplyDesignDefaults(state_->design);
  drawing_->SetMouseEditDone([this](const std::string& name, const DesignRecord& before) {
    PushStep(MakeDesignStep(name, before, state_->design, true));
    // Whole, even for a drop where it began: the preview may have been coarse.
    analyses_->FollowDesign();
  });
  drawing_->SetMouseEditMoved([this](int x, int y) {
    if (!analyses_->LiveUpdate()) return;
    analyses_->RequestLive(DesignUnderEdit(state_->design, state_->view, state_->drag, state_->bed_edit, x, y),
                           LiveDetail::kPreview);
  });
  analyses_ = std::make_unique<DesignAnalyses>(*state_, *drawing_, *this);
  connect(analyses_.get(), &DesignAnalyses::LiveUpdateChanged, this, &MainWindow::UpdateMenuMarks);

  files_ = std::make_unique<DesignFiles>(
      *state_, *this, recovery_folder,
      [this](const DesignRecord& design, const StoredView* view, const QString& path, bool modified) {
        ReplaceDesign(design, view, path, modified);
      });
  connect(files_.get(), &DesignFiles::RecentFilesChanged, this, &MainWindow::FillRecentMenu);

  CreateMenus();
  menuBar()->setFocusPolicy(Qt::NoFocus);
  client_->installEventFilter(this);

  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this](Qt::ApplicationState application_state) {
            state_->design.app_active = application_state == Qt::ApplicationActive ? 1 : 0;
          });

  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize screen_size = screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
  const WindowPlacement placement = MainWindowPlacement(screen_size.width(), screen_size.height());
  move(placement.left, placement.top);
  resize(placement.width, placement.height);
  files_->UpdateTitle();
}

MainWindow::~MainWindow() {
  // The worker reads nothing of the window, but its call posts to it.
  analyses_.reset();
  // Steps refer to the window; the children refer to the state: they go first.
  undo_.clear();
  delete client_;
}

void MainWindow::CreateMenus() {
  for (const MenuPopup& popup : CommandMenu()) {
    QMenu* menu = menuBar()->addMenu(ToQString(popup.caption));
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateMenuMarks);
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id == 0) {
        menu->addSeparator();
        continue;
      }
      const int id = entry.id;
      if (entry.submenu) {
        recent_menu_ = menu->addMenu(ToQString(entry.caption));
        recent_menu_->menuAction()->setData(id);
        connect(recent_menu_, &QMenu::aboutToShow, this, &MainWindow::FillRecentMenu);
        actions_[id] = recent_menu_->menuAction();
        continue;
      }
      QAction* action = menu->addAction(ToQString(entry.caption));
      action->setData(id);
      action->setCheckable(MenuMarks(id, state_->design, state_->view).checkable);
      action->setMenuRole(QAction::NoRole);
      QList<QKeySequence> keys;
      for (std::string_view key : entry.keys) keys << QKeySequence(ToQString(key), QKeySequence::PortableText);
      action->setShortcuts(keys);
      connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
      actions_[id] = action;
    }
  }
  // Undo and Redo name the step they would take.
  auto follow = [this](int id, bool enabled, const QString& step) {
    QAction* action = actions_[id];
    action->setEnabled(enabled);
    action->setText(ToQString(StepCaption(FindCommand(id)->caption, step.toStdString())));
  };
  connect(&undo_, &QUndoStack::canUndoChanged, this, [this, follow](bool can) {
    follow(kCmdUndo, can, undo_.undoText());
  });
  connect(&undo_, &QUndoStack::undoTextChanged, this, [this, follow](const QString& text) {
    follow(kCmdUndo, undo_.canUndo(), text);
  });
  connect(&undo_, &QUndoStack::canRedoChanged, this, [this, follow](bool can) {
    follow(kCmdRedo, can, undo_.redoText());
  });
  connect(&undo_, &QUndoStack::redoTextChanged, this, [this, follow](const QString& text) {
    follow(kCmdRedo, undo_.canRedo(), text);
  });
  FillRecentMenu();
  UpdateMenuMarks();
}

QAction* MainWindow::ActionFor(int id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::UpdateMenuMarks() {
  const SessionMarks session{undo_.canUndo(), undo_.canRedo(), !files_->RecentFiles().isEmpty(),
                             analyses_->LiveUpdate()};
  for (const auto& [id, action] : actions_) {
    const MenuMark mark = MenuMarks(id, state_->design, state_->view, session);
    if (mark.checkable) action->setChecked(mark.checked);
    action->setEnabled(mark.enabled);
  }
}

bool MainWindow::RunCommand(int id) {
  const DesignRecord before = state_->design;
  CommandOutcome outcome;
  const Command* command = FindCommand(id);
  if (command != nullptr && command->run == RunKind::kCalculate) {
    // The run's own results take the preview's place, and the worker leaves it every core.
    analyses_->DropLivePreview();
    ProgressHost progress(*drawing_, this, QStringLiteral("Calculating..."));
    outcome = DispatchCommand(id, *state_, *drawing_, progress, progress);
  } else {
    outcome = DispatchCommand(id, *state_, *drawing_);
  }
  using Action = CommandOutcome::Action;
  switch (outcome.action) {
    case Action::kUnhandled:
      return false;
    case Action::kDone:
      if (!outcome.step_name.empty()) {
        PushStep(MakeDesignStep(std::string(outcome.step_name), before, state_->design, false));
      }
      break;
    case Action::kBeep:
      QApplication::beep();
      break;
    case Action::kClose:
      close();
      break;
    case Action::kHelpIndex:
      ShowHelpIndex();
      break;
    case Action::kCopy:
      CopyToClipboard();
      break;
    case Action::kDialog: {
      if (OpenOwnedDialog(outcome.dialog, outcome.owner) != 1) break;
      if (const std::optional<DialogEdit> edit = DialogEditOf(outcome.dialog)) {
        PushStep(MakeDesignStep(std::string(edit->step_name), before, state_->design, edit->sets_bed_stale));
        analyses_->FollowDesign();
      }
      if (outcome.repaint_after_ok) InvalidateDrawing(*drawing_);
      break;
    }
    case Action::kNew:
      files_->NewDesign();
      break;
    case Action::kOpen:
      files_->OpenChosenFile();
      break;
    case Action::kOpenRecent:
      files_->OpenRecentFile(outcome.recent_index);
      break;
    case Action::kSave:
      files_->Save();
      break;
    case Action::kSaveAs:
      files_->SaveAs();
      break;
    case Action::kExportCsv:
      files_->ExportCsv();
      break;
    case Action::kExportReport:
    case Action::kPrintReport: {
      PointResults points;
      const ReportInputs inputs = analyses_->Report(files_->ReportTitle().toStdString(), points);
      if (outcome.action == Action::kExportReport) {
        files_->ExportReport([&] { return ReportHtml(inputs); });
      } else {
        files_->PrintReport([&] { return ReportPdf(inputs); });
      }
      break;
    }
    case Action::kUndo:
      undo_.undo();
      break;
    case Action::kRedo:
      undo_.redo();
      break;
    case Action::kMonteCarlo:
      analyses_->RunMonteCarloCommand(files_->FilePath());
      break;
    case Action::kSweep:
      analyses_->RunSweepCommand();
      break;
    case Action::kVolume:
      analyses_->RunVolumeCommand();
      break;
    case Action::kOptimize: {
      std::optional<DesignStep> step;
      if (analyses_->RunOptimizeCommand()) step = MakeDesignStep("Optimize Layout", before, state_->design, true);
      if (step) {
        PushStep(std::move(step));
        analyses_->FollowDesign();
      } else if (state_->design.design_modified != 0) {
        // The recovery copy held back while the search drew its layouts.
        files_->DesignChanged();
      }
      break;
    }
    case Action::kBound:
      analyses_->RunBoundCommand();
      break;
    case Action::kPlot:
      analyses_->OpenPlot(outcome.dialog);
      break;
    case Action::kLiveUpdate:
      analyses_->SetLiveUpdate(!analyses_->LiveUpdate());
      break;
    case Action::kPreferences:
      analyses_->ShowPreferences();
      break;
  }
  UpdateMenuMarks();
  return true;
}

int MainWindow::OpenOwnedDialog(std::string_view name, DialogOwner owner) {
  QWidget* owner_widget = owner == DialogOwner::kMainWindow ? static_cast<QWidget*>(this) : drawing_;
  DialogContext context{state_->design, state_->results, *drawing_, CurrentMonteCarlo(*state_) != nullptr,
                        BoundPointsFor(*state_, state_->design) != nullptr};
  return OpenDialog(name, context, owner_widget);
}

void MainWindow::CopyToClipboard() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return;
  clipboard->setMimeData(MakeClipboardMimeData(*state_));
}

void MainWindow::ShowHelpIndex() {
  if (!help_) help_ = std::make_unique<HelpWindow>();
  help_->ShowIndex();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  QPoint step;
  switch (event->key()) {
    case Qt::Key_Left:
      step = QPoint(-1, 0);
      break;
    case Qt::Key_Up:
      step = QPoint(0, -1);
      break;
    case Qt::Key_Right:
      step = QPoint(1, 0);
      break;
    case Qt::Key_Down:
      step = QPoint(0, 1);
      break;
    case Qt::Key_X:
    case Qt::Key_Y:
    case Qt::Key_Z:
      // With Ctrl these are the edit keys, never a nudge, even while there is nothing to undo.
      if ((event->modifiers() & Qt::ControlModifier) != 0) {
        QMainWindow::keyPressEvent(event);
        return;
      }
      NudgeViewCentre(state_->view, event->key() - Qt::Key_X, shift, *drawing_, state_->infobar);
      return;
    case Qt::Key_F1:
      ShowHelpIndex();
      return;
    default:
      QMainWindow::keyPressEvent(event);
      return;
  }
  QCursor::setPos(QCursor::pos() + step);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) {
    LayoutChildren(client_->width(), client_->height());
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::LayoutChildren(int width, int height) {
  const int strip = state_->infobar.infobar_height;
  drawing_->setGeometry(0, 0, width, std::max(0, height - strip));
  infobar_->setGeometry(0, height - strip, width, strip);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!files_->ConfirmClose()) {
    event->ignore();
    return;
  }
  files_->DropRecovery();
  if (help_) help_->close();
  event->accept();
}

void MainWindow::PushStep(std::optional<DesignStep> step) {
  if (!step) return;
  undo_.push(new DesignStepCommand(std::move(*step), [this](const DesignRecord& snapshot, bool sets_bed_stale) {
    ApplySnapshot(snapshot, sets_bed_stale);
  }));
  files_->DesignChanged();
}

void MainWindow::ApplySnapshot(const DesignRecord& snapshot, bool sets_bed_stale) {
  ApplyDesignSnapshot(snapshot, sets_bed_stale, state_->design);
  InvalidateDrawing(*drawing_);
  infobar_->update();
  files_->DesignChanged();
  analyses_->FollowDesign();
}

void MainWindow::ReplaceDesign(const DesignRecord& design, const StoredView* view, const QString& path,
                               bool modified) {
  // The edit mode and the handles that go with it belong to the window, not to the design.
  DesignRecord next = design;
  CopyKeysOfKind(KeyKind::kSession, state_->design, next);
  state_->design = next;
  // A fresh program's noise sequence, so that a file gives the numbers it gives on the command line.
  state_->work = CalculationWork{};
  drawing_->AbandonMouseEdit();
  // Like the results of the last run, which a design read from a file does not have.
  state_->monte_carlo = MonteCarloRecord{};
  state_->bound = BoundRecord{};
  // A preview of the design before must not show over this one for a moment.
  analyses_->DropLivePreview();
  analyses_->FollowDesign();
  if (view != nullptr) {
    ApplyStoredView(*view, state_->view, *drawing_, state_->infobar);
  } else {
    ApplyViewDefaults(state_->view, *drawing_);
    InvalidateDrawing(*drawing_);
  }
  infobar_->update();
  undo_.clear();
  files_->Adopt(path, modified);
  UpdateMenuMarks();
  emit DesignReplaced();
}

void MainWindow::FillRecentMenu() {
  if (recent_menu_ == nullptr) return;
  recent_menu_->clear();
  const QStringList recent = files_->RecentFiles();
  for (int i = 0; i < recent.size() && i < kRecentFileCount; ++i) {
    QAction* action = recent_menu_->addAction(ToQString(RecentFileCaption(i, FileSystemPath(recent[i]))));
    const int id = kCmdRecentFirst + i;
    action->setData(id);
    action->setToolTip(recent[i]);
    action->setMenuRole(QAction::NoRole);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
  }
  recent_menu_->menuAction()->setEnabled(!recent.isEmpty());
}

}  // namespace orvendi
