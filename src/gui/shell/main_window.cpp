#include "gui/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QUndoCommand>
#include <algorithm>
#include <string>
#include <vector>

#include "core/analysis/point_results.h"
#include "core/design/atomic_file.h"
#include "core/design/design_file.h"
#include "core/analysis/monte_carlo.h"
#include "core/analysis/sweep.h"
#include "core/dialogs/analysis_requests.h"
#include "core/dialogs/window_runs.h"
#include "gui/dialogs/dialogs.h"
#include "gui/dialogs/monte_carlo_dialog.h"
#include "gui/dialogs/monte_carlo_result_dialog.h"
#include "gui/widgets/plot_window.h"
#include "core/dialogs/preferences.h"
#include "gui/dialogs/preferences_dialog.h"
#include "gui/dialogs/qt_dialogs.h"
#include "gui/widgets/qt_error_charts.h"
#include "gui/widgets/qt_progress_host.h"
#include "gui/dialogs/sweep_dialog.h"
#include "core/platform/compute_threads.h"
#include "core/app/file_names.h"
#include "gui/shell/help_window.h"
#include "core/app/menu_model.h"
#include "gui/files/qt_recovery.h"
#include "gui/widgets/drawing_window.h"
#include "gui/widgets/infobar_widget.h"
#include "core/views/live_preview.h"
#include "gui/widgets/qt_clipboard_picture.h"
#include "core/views/stored_view.h"
#include "core/views/view_geometry.h"

// The resources live in a static library: their registration must be pulled in by name.
static void InitOrvendiResources() { Q_INIT_RESOURCE(orvendi); }

namespace orvendi {

namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QString kRecentKey = QStringLiteral("recentFiles");
const QString kThreadsKey = QStringLiteral("compute/threads");
const QString kLiveUpdateKey = QStringLiteral("results/liveUpdate");
const QString kDesignFilter = QStringLiteral("Orvendi designs (*.orvendi);;All files (*)");

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
    PushStep(MakeDesignStep(name, before, state_->design, false));
    // Whole, even for a drop where it began: the preview may have been coarse.
    FollowDesign();
  });
  drawing_->SetMouseEditMoved([this](int x, int y) {
    if (!live_update_) return;
    RequestLive(DesignUnderEdit(state_->design, state_->view, state_->drag, state_->bed_edit, x, y),
                LiveDetail::kPreview);
  });
  // The worker's call comes on its own thread; the result is taken on this one.
  live_ = std::make_unique<LiveCalculation>(
      [this] { QMetaObject::invokeMethod(this, [this] { ShowLiveResult(); }, Qt::QueuedConnection); });

  recovery_ = std::make_unique<RecoveryStore>(recovery_folder.isEmpty() ? RecoveryStore::DefaultFolder()
                                                                        : recovery_folder);
  recovery_timer_.setSingleShot(true);
  recovery_timer_.setInterval(kRecoveryDelayMs);
  connect(&recovery_timer_, &QTimer::timeout, this, &MainWindow::WriteRecoveryNow);

  LoadProgramSettings();
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
  UpdateTitle();
}

MainWindow::~MainWindow() {
  // The worker reads nothing of the window, but its call posts to it.
  live_.reset();
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
  auto follow = [this](int id, std::string_view caption, bool enabled, const QString& step) {
    QAction* action = actions_[id];
    action->setEnabled(enabled);
    action->setText(ToQString(StepCaption(caption, step.toStdString())));
  };
  connect(&undo_, &QUndoStack::canUndoChanged, this, [this, follow](bool can) {
    follow(kCmdUndo, "&Undo", can, undo_.undoText());
  });
  connect(&undo_, &QUndoStack::undoTextChanged, this, [this, follow](const QString& text) {
    follow(kCmdUndo, "&Undo", undo_.canUndo(), text);
  });
  connect(&undo_, &QUndoStack::canRedoChanged, this, [this, follow](bool can) {
    follow(kCmdRedo, "&Redo", can, undo_.redoText());
  });
  connect(&undo_, &QUndoStack::redoTextChanged, this, [this, follow](const QString& text) {
    follow(kCmdRedo, "&Redo", undo_.canRedo(), text);
  });
  FillRecentMenu();
  UpdateMenuMarks();
}

QAction* MainWindow::ActionFor(int id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::UpdateMenuMarks() {
  for (const auto& [id, action] : actions_) {
    const MenuMark mark = MenuMarks(id, state_->design, state_->view);
    if (mark.checkable) action->setChecked(mark.checked);
    if (id == kCmdUndo) {
      action->setEnabled(undo_.canUndo());
    } else if (id == kCmdRedo) {
      action->setEnabled(undo_.canRedo());
    } else if (id == kCmdOpenRecent) {
      action->setEnabled(!RecentFiles().isEmpty());
    } else if (id == kCmdLiveUpdate) {
      action->setChecked(live_update_);
    } else {
      action->setEnabled(mark.enabled);
    }
  }
}

bool MainWindow::RunCommand(int id) {
  const DesignRecord before = state_->design;
  CommandOutcome outcome;
  if (id == kCmdCalculate) {
    // The run's own results take the preview's place, and the worker leaves it every core.
    DropLivePreview();
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
        FollowDesign();
      }
      if (outcome.repaint_after_ok) InvalidateDrawing(*drawing_);
      break;
    }
    case Action::kNew:
      NewDesign();
      break;
    case Action::kOpen:
      OpenChosenFile();
      break;
    case Action::kOpenRecent:
      OpenRecentFile(outcome.recent_index);
      break;
    case Action::kSave:
      Save();
      break;
    case Action::kSaveAs:
      SaveAs();
      break;
    case Action::kExportCsv:
      ExportCsv();
      break;
    case Action::kUndo:
      undo_.undo();
      break;
    case Action::kRedo:
      undo_.redo();
      break;
    case Action::kMonteCarlo:
      RunMonteCarloCommand();
      break;
    case Action::kSweep:
      RunSweepCommand();
      break;
    case Action::kPlot:
      OpenPlot(outcome.dialog);
      break;
    case Action::kLiveUpdate:
      SetLiveUpdate(!live_update_);
      break;
    case Action::kPreferences:
      ShowPreferences();
      break;
  }
  UpdateMenuMarks();
  return true;
}

int MainWindow::OpenOwnedDialog(std::string_view name, DialogOwner owner) {
  QWidget* owner_widget = owner == DialogOwner::kMainWindow ? static_cast<QWidget*>(this) : drawing_;
  DialogContext context{state_->design, state_->results, *drawing_, CurrentMonteCarlo(*state_) != nullptr};
  return OpenDialog(name, context, owner_widget);
}

void MainWindow::RunMonteCarloCommand() {
  MonteCarloOptions previous;
  previous.runs = kDefaultMonteCarloRuns;
  if (state_->monte_carlo.present) previous = state_->monte_carlo.options;
  MonteCarloDialog dialog(previous, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const MonteCarloOptions options = dialog.Options();
  MonteCarloResult result;
  std::string error;
  AnalysisStatus status;
  {
    ProgressHost progress(*drawing_, this, QStringLiteral("Running Monte Carlo..."));
    status = RunMonteCarloInWindow(state_->design, options, progress, progress, result, error);
  }
  if (status == AnalysisStatus::kCancelled) return;
  if (status == AnalysisStatus::kFailed) {
    QMessageBox::warning(this, QStringLiteral("Monte Carlo"), ToQString(error));
    return;
  }
  state_->monte_carlo = MonteCarloRecord{true, state_->design, options, std::move(result)};
  InvalidateDrawing(*drawing_);
  MonteCarloResultDialog figures(state_->monte_carlo.result.summary, this);
  figures.exec();
}

void MainWindow::RunSweepCommand() {
  SweepDialog dialog(state_->design, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const SweepOptions options = dialog.Options();
  std::vector<SweepRow> rows;
  const SweepRowSink keep = [&rows](const SweepRow& row, std::string&) {
    rows.push_back(row);
    return true;
  };
  std::string error;
  AnalysisStatus status;
  {
    ProgressHost progress(*drawing_, this, QStringLiteral("Sweeping..."));
    status = RunSweepInWindow(state_->design, options, SetDesignNumber, progress, progress, keep, error);
  }
  if (status == AnalysisStatus::kCancelled) return;
  if (status == AnalysisStatus::kFailed) {
    QMessageBox::warning(this, QStringLiteral("Sweep"), ToQString(error));
    return;
  }
  const std::string parameter = dialog.ParameterName();
  auto* window = new PlotWindow(MakeSweepChart(SweepPlotSeries(rows), parameter, SweepRowsWithFailures(rows)),
                                QStringLiteral("Sweep: ") + ToQString(parameter), this);
  window->SetCsv(SweepCsv(options, rows), QStringLiteral("sweep.csv"));
  window->show();
}

void MainWindow::OpenPlot(std::string_view name) {
  if (state_->design.results_valid == 0) return;
  const PointResults run = CollectPointResults(state_->design, state_->results);
  PlotWindow* window = nullptr;
  if (name == "ErrorDistance") {
    window = new PlotWindow(MakeErrorDistanceChart(ErrorAgainstDistance(state_->design, run)),
                            QStringLiteral("Error against Distance"), this);
  } else if (name == "ErrorHistogram") {
    const int bins = HistogramBins(static_cast<int>(run.rows.size()) - run.summary.failed_points);
    window = new PlotWindow(MakeErrorHistogramChart(MakeErrorHistogram(run, bins)),
                            QStringLiteral("Error Histogram"), this);
  }
  if (window != nullptr) window->show();
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

bool MainWindow::ConfirmClose() {
  if (state_->design.design_modified == 0) return true;
  const QMessageBox::StandardButton answer =
      QMessageBox::question(this, QStringLiteral("Orvendi"),
                            QStringLiteral("Design has changed\n\nDo you wish to save the changes?"),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Yes) return Save();
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!ConfirmClose()) {
    event->ignore();
    return;
  }
  // Saved or discarded: nothing is left to recover.
  recovery_timer_.stop();
  recovery_->Remove();
  if (help_) help_->close();
  event->accept();
}

void MainWindow::DesignChanged() {
  SetModified(true);
  recovery_timer_.start();
}

void MainWindow::SetModified(bool modified) {
  state_->design.design_modified = modified ? 1 : 0;
  setWindowModified(modified);
}

void MainWindow::UpdateTitle() {
  setWindowTitle(ToQString(WindowTitle(path_.toStdString())));
  setWindowModified(state_->design.design_modified != 0);
}

void MainWindow::PushStep(std::optional<DesignStep> step) {
  if (!step) return;
  undo_.push(new DesignStepCommand(std::move(*step), [this](const DesignRecord& snapshot, bool sets_bed_stale) {
    ApplySnapshot(snapshot, sets_bed_stale);
  }));
  DesignChanged();
}

void MainWindow::ApplySnapshot(const DesignRecord& snapshot, bool sets_bed_stale) {
  ApplyDesignSnapshot(snapshot, sets_bed_stale, state_->design);
  InvalidateDrawing(*drawing_);
  infobar_->update();
  DesignChanged();
  FollowDesign();
}

void MainWindow::ReplaceDesign(const DesignRecord& design, const StoredView* view, const QString& path,
                               bool modified) {
  // The edit mode and the handles that go with it belong to the window, not to the design.
  const std::int32_t app_active = state_->design.app_active;
  const std::int32_t edit_mode = state_->design.edit_mode;
  state_->design = design;
  state_->design.app_active = app_active;
  state_->design.edit_mode = edit_mode;
  drawing_->AbandonMouseEdit();
  // Like the results of the last run, which a design read from a file does not have.
  state_->monte_carlo = MonteCarloRecord{};
  // A preview of the design before must not show over this one for a moment.
  DropLivePreview();
  FollowDesign();
  if (view != nullptr) {
    ApplyStoredView(*view, state_->view, *drawing_, state_->infobar);
  } else {
    ApplyViewDefaults(state_->view, *drawing_);
    InvalidateDrawing(*drawing_);
  }
  infobar_->update();
  undo_.clear();
  path_ = path;
  recovery_timer_.stop();
  recovery_->Remove();
  SetModified(false);
  if (modified) DesignChanged();
  UpdateTitle();
  UpdateMenuMarks();
  emit DesignReplaced();
}

void MainWindow::NewDesign() {
  if (!ConfirmClose()) return;
  DesignRecord design;
  ApplyDesignDefaults(design);
  ReplaceDesign(design, nullptr, QString(), false);
}

bool MainWindow::OpenFile(const QString& path) {
  DesignRecord design = state_->design;
  StoredView view;
  std::string error;
  if (!ReadDesignFile(FileSystemPath(path), design, view, error)) {
    ShowFileProblem(QStringLiteral("The design could not be opened.\n\n%1").arg(QString::fromStdString(error)));
    return false;
  }
  const QString absolute = QFileInfo(path).absoluteFilePath();
  ReplaceDesign(design, &view, absolute, false);
  AddRecent(absolute);
  return true;
}

void MainWindow::OpenChosenFile() {
  if (!ConfirmClose()) return;
  const QString path = ChooseFile(FileQuestion::kOpen, QFileInfo(path_).absolutePath());
  if (!path.isEmpty()) OpenFile(path);
}

void MainWindow::OpenRecentFile(int index) {
  const QStringList recent = RecentFiles();
  if (index < 0 || index >= recent.size()) return;
  if (!ConfirmClose()) return;
  const QString path = recent[index];
  // A file that has gone or turned bad leaves the list.
  if (!OpenFile(path)) ForgetRecent(path);
}

bool MainWindow::SaveFile(const QString& path) {
  std::string error;
  if (!WriteDesignFile(FileSystemPath(path), state_->design, StoreView(state_->view), error)) {
    ShowFileProblem(QStringLiteral("The design could not be saved.\n\n%1").arg(QString::fromStdString(error)));
    return false;
  }
  path_ = QFileInfo(path).absoluteFilePath();
  recovery_timer_.stop();
  recovery_->Remove();
  SetModified(false);
  UpdateTitle();
  AddRecent(path_);
  return true;
}

bool MainWindow::Save() { return path_.isEmpty() ? SaveAs() : SaveFile(path_); }

bool MainWindow::SaveAs() {
  const QString suggestion = path_.isEmpty() ? QStringLiteral("Untitled.orvendi") : path_;
  const QString path = ChooseFile(FileQuestion::kSaveAs, suggestion);
  return !path.isEmpty() && SaveFile(path);
}

void MainWindow::ExportCsv() {
  const QString base = path_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path_).completeBaseName();
  const QString suggestion = QFileInfo(QFileInfo(path_).absolutePath(), base + QStringLiteral(".csv")).filePath();
  const QString path = ChooseFile(FileQuestion::kExportCsv, suggestion);
  if (path.isEmpty()) return;
  const PointResults points = CollectPointResults(state_->design, state_->results);
  std::string error;
  if (!WriteFileAtomically(FileSystemPath(path), PointResultsCsv(points.rows), error)) {
    ShowFileProblem(QStringLiteral("The results could not be exported.\n\n%1").arg(QString::fromStdString(error)));
  }
}

QString MainWindow::ChooseFile(FileQuestion question, const QString& suggestion) {
  if (choose_file_) return choose_file_(question, suggestion);
  QFileDialog dialog(this);
  switch (question) {
    case FileQuestion::kOpen:
      dialog.setWindowTitle(QStringLiteral("Open Design"));
      dialog.setAcceptMode(QFileDialog::AcceptOpen);
      dialog.setFileMode(QFileDialog::ExistingFile);
      dialog.setNameFilter(kDesignFilter);
      dialog.setDirectory(suggestion);
      break;
    case FileQuestion::kSaveAs:
      dialog.setWindowTitle(QStringLiteral("Save Design As"));
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setNameFilter(kDesignFilter);
      dialog.setDefaultSuffix(QStringLiteral("orvendi"));
      dialog.selectFile(suggestion);
      break;
    case FileQuestion::kExportCsv:
      dialog.setWindowTitle(QStringLiteral("Export Results as CSV"));
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setNameFilter(QStringLiteral("CSV files (*.csv);;All files (*)"));
      dialog.setDefaultSuffix(QStringLiteral("csv"));
      dialog.selectFile(suggestion);
      break;
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void MainWindow::ShowFileProblem(const QString& message) {
  QMessageBox::warning(this, QStringLiteral("Orvendi"), message);
}

QStringList MainWindow::RecentFiles() const { return QSettings().value(kRecentKey).toStringList(); }

namespace {

std::vector<std::string> ToStdList(const QStringList& list) {
  std::vector<std::string> out;
  for (const QString& item : list) out.push_back(item.toStdString());
  return out;
}

QStringList ToQList(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& item : list) out << QString::fromStdString(item);
  return out;
}

}  // namespace

void MainWindow::AddRecent(const QString& path) {
  QSettings().setValue(kRecentKey, ToQList(AddRecentFile(ToStdList(RecentFiles()), path.toStdString())));
  FillRecentMenu();
}

void MainWindow::ForgetRecent(const QString& path) {
  QSettings().setValue(kRecentKey, ToQList(RemoveRecentFile(ToStdList(RecentFiles()), path.toStdString())));
  FillRecentMenu();
}

void MainWindow::FillRecentMenu() {
  if (recent_menu_ == nullptr) return;
  recent_menu_->clear();
  const QStringList recent = RecentFiles();
  for (int i = 0; i < recent.size() && i < kRecentFileCount; ++i) {
    QAction* action = recent_menu_->addAction(ToQString(RecentFileCaption(i, recent[i].toStdString())));
    const int id = kCmdRecentFirst + i;
    action->setData(id);
    action->setToolTip(recent[i]);
    action->setMenuRole(QAction::NoRole);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
  }
  recent_menu_->menuAction()->setEnabled(!recent.isEmpty());
}

void MainWindow::WriteRecoveryNow() {
  recovery_timer_.stop();
  if (state_->design.design_modified == 0) return;
  QString error;
  // A recovery copy that cannot be written must not disturb the work; the next change tries again.
  recovery_->Write(state_->design, StoreView(state_->view), path_, error);
}

void MainWindow::OfferRecovery() {
  std::vector<RecoveryStore::LeftDesign> left = recovery_->FindLeftDesigns();
  for (RecoveryStore::LeftDesign& design : left) {
    const QString name = design.saved_path.isEmpty() ? QStringLiteral("an untitled design")
                                                     : QFileInfo(design.saved_path).fileName();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvendi"),
                    QStringLiteral("Orvendi ended without saving %1.\n\nRestore the unsaved changes?").arg(name),
                    QMessageBox::NoButton, this);
    QPushButton* restore = box.addButton(QStringLiteral("&Restore"), QMessageBox::AcceptRole);
    restore->setObjectName(QStringLiteral("Restore"));
    QPushButton* discard = box.addButton(QMessageBox::Discard);
    discard->setObjectName(QStringLiteral("Discard"));
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == discard) {
      RecoveryStore::Forget(design);
      continue;
    }
    // Closed without an answer: the design waits for the next start.
    if (box.clickedButton() != restore) continue;
    DesignRecord restored = state_->design;
    StoredView view;
    std::string error;
    if (!ReadDesignFile(FileSystemPath(design.design_path), restored, view, error)) {
      ShowFileProblem(QStringLiteral("The unsaved design could not be restored.\n\n%1")
                          .arg(QString::fromStdString(error)));
      RecoveryStore::Forget(design);
      continue;
    }
    ReplaceDesign(restored, &view, design.saved_path, true);
    RecoveryStore::Forget(design);
    // Its copy lives on as this program's own recovery file.
    WriteRecoveryNow();
    // One restored design at a time; the others wait for the next start.
    break;
  }
}

void MainWindow::LoadProgramSettings() {
  QSettings settings;
  // A stored value that does not read (edited by hand) leaves every core.
  const std::optional<int> threads = ReadThreadsEntry(settings.value(kThreadsKey).toString().toStdString());
  SetComputeThreads(threads.value_or(0));
  live_update_ = settings.value(kLiveUpdateKey, false).toBool();
}

void MainWindow::ShowPreferences() {
  PreferencesDialog dialog(ComputeThreadsSetting(), this);
  dialog.adjustSize();
  CentreDialog(&dialog);
  if (dialog.exec() != QDialog::Accepted) return;
  SetComputeThreads(dialog.Threads());
  QSettings().setValue(kThreadsKey, dialog.Threads());
}

void MainWindow::SetLiveUpdate(bool on) {
  live_update_ = on;
  QSettings().setValue(kLiveUpdateKey, on);
  if (on) {
    FollowDesign();
  } else {
    DropLivePreview();
  }
  UpdateMenuMarks();
}

void MainWindow::RequestLive(const DesignRecord& design, LiveDetail detail) {
  live_->Request(design, state_->work, detail);
}

void MainWindow::FollowDesign() {
  if (live_update_) RequestLive(state_->design, LiveDetail::kWhole);
}

void MainWindow::ShowLiveResult() {
  std::optional<LiveResult> result = live_->TakeResult();
  if (!result || !live_update_) return;
  state_->live.result = std::move(*result);
  state_->live.shown = true;
  InvalidateDrawing(*drawing_);
}

void MainWindow::DropLivePreview() {
  live_->Cancel();
  if (!state_->live.shown) return;
  state_->live.shown = false;
  InvalidateDrawing(*drawing_);
}

}  // namespace orvendi
