#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

#include "dialogs/dialogs.h"
#include "dialogs/qt_progress_host.h"
#include "shell/help_window.h"
#include "shell/menu_model.h"
#include "views/drawing_window.h"
#include "views/infobar_widget.h"
#include "views/qt_clipboard_picture.h"
#include "views/view_geometry.h"

// The resources live in a static library: their registration must be pulled in by name.
static void InitOrvendiResources() { Q_INIT_RESOURCE(orvendi); }

namespace orvendi {

namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainWindow::MainWindow() : state_(std::make_unique<AppState>()) {
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
}

MainWindow::~MainWindow() {
  // The children refer to the state: they go first.
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
      QAction* action = menu->addAction(ToQString(entry.caption));
      const int id = entry.id;
      action->setData(id);
      action->setCheckable(MenuMarks(id, state_->design, state_->view).checkable);
      action->setMenuRole(QAction::NoRole);
      connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
      actions_[id] = action;
    }
  }
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
    action->setEnabled(mark.enabled);
  }
}

bool MainWindow::RunCommand(int id) {
  CommandOutcome outcome;
  if (id == kCmdCalculate) {
    ProgressHost progress(*drawing_, this, QStringLiteral("Calculating..."));
    outcome = DispatchCommand(id, *state_, progress);
  } else {
    outcome = DispatchCommand(id, *state_, *drawing_);
  }
  using Action = CommandOutcome::Action;
  switch (outcome.action) {
    case Action::kUnhandled:
      return false;
    case Action::kDone:
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
    case Action::kDialog:
      if (OpenOwnedDialog(outcome.dialog, outcome.owner) == 1 && outcome.repaint_after_ok) {
        InvalidateDrawing(*drawing_);
      }
      break;
  }
  return true;
}

int MainWindow::OpenOwnedDialog(std::string_view name, DialogOwner owner) {
  QWidget* owner_widget = owner == DialogOwner::kMainWindow ? static_cast<QWidget*>(this) : drawing_;
  DialogContext context{state_->design, state_->results, *drawing_};
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
      NudgeViewCentre(state_->view, 0, shift, *drawing_, state_->infobar);
      return;
    case Qt::Key_Y:
      NudgeViewCentre(state_->view, 1, shift, *drawing_, state_->infobar);
      return;
    case Qt::Key_Z:
      NudgeViewCentre(state_->view, 2, shift, *drawing_, state_->infobar);
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
  // There is nothing to save: Yes only sounds the beep.
  if (answer == QMessageBox::Yes) QApplication::beep();
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!ConfirmClose()) {
    event->ignore();
    return;
  }
  if (help_) help_->close();
  event->accept();
}

}  // namespace orvendi
