#include "monkey/monkey_session.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QUndoStack>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "core/design/design_file.h"
#include "monkey/crash_report.h"
#include "core/app/menu_model.h"
#include "core/dialogs/control_ids.h"
#include "gui/files/qt_recovery.h"
#include "core/views/bed_editing.h"
#include "gui/widgets/drawing_window.h"
#include "core/views/stored_view.h"
#include "core/views/view_geometry.h"

namespace orvendi::monkey {

namespace {

using testing::Chance;
using testing::Pick;
using testing::PickOf;

// A dialog answered this often without closing is pushed to Cancel, then reported.
constexpr int kRoundsBeforeCancel = 4;
constexpr int kRoundsBeforeFailure = 10;
// How long the session waits for the event loop to answer before it calls the window hung.
constexpr int kAnswerTimeoutMs = 20000;
constexpr int kRecentActionsShown = 8;
// How often modal windows are looked for.
constexpr int kTickMs = 2;
// How long a popup menu may stay up before the session takes it for one shown with its own loop.
constexpr int kPopupWaitMs = 300;
// New, Open, Open Recent and Exit end the undo history; drawn less often, the history grows long.
constexpr double kHistoryEndingShare = 0.25;
// How often Sweep and Optimize Layout get small entries that hold, so that their runs are reached.
constexpr double kValidStudyShare = 0.35;
const char* const kRoundsProperty = "monkeyRounds";

std::string Text(long long value) { return std::to_string(value); }

std::string PointText(QPoint p) { return "(" + Text(p.x()) + "," + Text(p.y()) + ")"; }

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

// A caption without its & mnemonic marks.
QString Plain(QString caption) { return caption.remove(QLatin1Char('&')); }

int RandomIn(Rng& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

Rng StreamFor(std::uint64_t seed, int action, int stream) {
  std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                         static_cast<std::uint32_t>(action), static_cast<std::uint32_t>(stream)};
  return Rng(sequence);
}

std::string KeyName(int key, Qt::KeyboardModifiers modifiers) {
  return Utf8(QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key))).toString());
}

// The popup's mnemonic letters, from the menu model.
std::vector<int> MenuMnemonics() {
  std::vector<int> keys;
  for (const MenuPopup& popup : CommandMenu()) {
    const std::size_t amp = popup.caption.find('&');
    if (amp == std::string_view::npos || amp + 1 >= popup.caption.size()) continue;
    const char letter = popup.caption[amp + 1];
    keys.push_back(Qt::Key_A + (std::toupper(static_cast<unsigned char>(letter)) - 'A'));
  }
  return keys;
}

bool IsAcceptButton(QAbstractButton* button) {
  if (button->objectName() == QString::number(control_ids::kOk)) return true;
  if (auto* box = qobject_cast<QDialogButtonBox*>(button->parentWidget())) {
    const QDialogButtonBox::ButtonRole role = box->buttonRole(button);
    return role == QDialogButtonBox::AcceptRole || role == QDialogButtonBox::YesRole ||
           role == QDialogButtonBox::ApplyRole;
  }
  const QString text = Plain(button->text());
  return text == QLatin1String("OK") || text == QLatin1String("Yes") || text == QLatin1String("Save") ||
         text == QLatin1String("Run") || text == QLatin1String("Apply");
}

bool IsCancelButton(QAbstractButton* button) {
  if (button->objectName() == QString::number(control_ids::kCancel)) return true;
  if (auto* box = qobject_cast<QDialogButtonBox*>(button->parentWidget())) {
    const QDialogButtonBox::ButtonRole role = box->buttonRole(button);
    return role == QDialogButtonBox::RejectRole || role == QDialogButtonBox::NoRole;
  }
  const QString text = Plain(button->text());
  return text == QLatin1String("Cancel") || text == QLatin1String("Close") || text == QLatin1String("No");
}

// Push buttons a user could click now.
std::vector<QAbstractButton*> ClickableButtons(QWidget* window) {
  std::vector<QAbstractButton*> buttons;
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    if (button->isCheckable() || !button->isVisibleTo(window) || !button->isEnabled()) continue;
    buttons.push_back(button);
  }
  return buttons;
}

void Print(std::FILE* stream, const std::string& line) {
  std::fputs(line.c_str(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

// Text the test library can type key by key: it knows the keys of printable ASCII only.
bool Printable(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '\t' || (c >= 0x20 && c <= 0x7e); });
}

void PostKey(QWidget* target, int key) {
  QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
  QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

}  // namespace

MonkeySession::MonkeySession(MonkeyOptions options, QString scratch_folder)
    : options_(options), scratch_(std::move(scratch_folder)) {}

MonkeySession::~MonkeySession() { Stop(); }

QWindow* MonkeySession::Window() const { return window_->windowHandle(); }

QPoint MonkeySession::ViewportToWindow(QPoint point) const {
  return window_->Drawing()->viewport()->mapTo(window_.get(), point);
}

QString MonkeySession::ScratchPath(const QString& name) const { return QDir(scratch_).filePath(name); }

void MonkeySession::Fail(const std::string& what) {
  if (failure_.empty()) failure_ = what;
}

std::string MonkeySession::Describe(int action) const {
  return "monkey: failed at action " + Text(action) + " of " + Text(options_.actions) + ", seed " +
         std::to_string(options_.seed) + ": ";
}

// ---- Start and stop

void MonkeySession::Start() {
  // Anything a hostile entry makes the window write lands in the scratch folder.
  QDir::setCurrent(scratch_);
  QSettings().remove(QStringLiteral("recentFiles"));

  window_ = std::make_unique<MainWindow>(ScratchPath(QStringLiteral("recovery")));
  window_->Files().SetFileChooser([this](DesignFiles::FileQuestion question, const QString&) { return ChooseFile(question); });
  QObject::connect(&window_->UndoStack(), &QUndoStack::indexChanged, &context_, [this] {
    ++history_events_;
    longest_history_ = std::max(longest_history_, window_->UndoStack().count());
  });
  QObject::connect(window_.get(), &MainWindow::DesignReplaced, &context_, [this] {
    ++history_events_;
    ++designs_replaced_;
    baseline_ = State().design;
    baseline_action_ = action_;
  });
  window_->show();
  if (!QTest::qWaitForWindowExposed(window_.get())) Fail("the main window never showed");
  window_->activateWindow();
  State().design.app_active = 1;
  start_size_ = window_->size();

  // Small grids keep Calculate, the bed model and every analysis short; the rest is the default.
  DesignRecord design = State().design;
  design.scan_x_from = -0.2;
  design.scan_x_to = 0.2;
  design.scan_x_step = 0.1;
  design.scan_y_from = -0.2;
  design.scan_y_to = 0.2;
  design.scan_y_step = 0.1;
  design.bed_cells_x = 8;
  design.bed_cells_y = 8;
  const QString start_file = ScratchPath(QStringLiteral("start.orvendi"));
  std::string error;
  if (!WriteDesignFile(start_file.toStdString(), design, StoreView(State().view), error)) Fail(error);
  if (!window_->Files().OpenFile(start_file)) Fail("the start design does not open");
  saved_files_.push_back(start_file);

  baseline_ = State().design;
  settled_ = State().design;
  settled_events_ = history_events_;
  numbers_ = testing::DesignNumbers(State().design);
  view_ = State().view;

  QObject::connect(&tick_, &QTimer::timeout, &context_, [this] { OnTick(); });
  tick_.start(kTickMs);
}

void MonkeySession::Stop() {
  tick_.stop();
  if (!window_) return;
  // The window's undo stack is cleared as it goes; nothing of the session may hear it.
  QObject::disconnect(&window_->UndoStack(), nullptr, &context_, nullptr);
  QObject::disconnect(window_.get(), nullptr, &context_, nullptr);
  State().design.design_modified = 0;
  window_->close();
  window_.reset();
}

// ---- The run

bool MonkeySession::Run() {
  Print(stdout, "monkey: seed " + std::to_string(options_.seed) + ", " + Text(options_.actions) + " actions");
  const Clock::time_point started = Clock::now();
  SetFailurePrefix(Describe(0));
  Start();

  for (action_ = 1; action_ <= options_.actions && !Failed(); ++action_) {
    SetFailurePrefix(Describe(action_));
    Rng rng = StreamFor(options_.seed, action_, 0);
    handler_rng_ = StreamFor(options_.seed, action_, 1);
    progress_rng_ = StreamFor(options_.seed, action_, 2);
    dialog_answered_ = false;
    const long events_before = history_events_;
    const Clock::time_point action_started = Clock::now();
    std::string what;
    if (QApplication::activePopupWidget() != nullptr) {
      what = PopupKeys(rng);
    } else {
      what = RunAction(rng);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - action_started).count();
    if (ms > slowest_ms_) {
      slowest_ms_ = ms;
      slowest_action_ = action_;
    }
    if (options_.trace) {
      Print(stdout, Text(action_) + " " + what + "  [" + Text(ms) + " ms, history " +
                        Text(window_->UndoStack().index()) + "/" + Text(window_->UndoStack().count()) + "]");
    }
    recent_actions_.push_back(Text(action_) + " " + what);
    if (recent_actions_.size() > kRecentActionsShown) recent_actions_.pop_front();
    Settle();
    if (!Failed()) CheckAfterAction(dialog_answered_ || history_events_ != events_before);
  }
  if (!Failed()) {
    SetFailurePrefix(Describe(options_.actions) + "(the final undo) ");
    CheckFinal();
  }

  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  if (Failed()) {
    const int at = std::min(action_ - 1, options_.actions);
    Print(stderr, Describe(std::max(at, 0)) + failure_);
    Print(stderr, "monkey: the last actions were:");
    for (const std::string& line : recent_actions_) Print(stderr, "  " + line);
    Print(stderr, "monkey: replay with scripts/monkey " + Text(options_.actions) + " " + std::to_string(options_.seed));
    Stop();
    return false;
  }

  int menu_ids = 0;
  int never_count = 0;
  std::string never_run;
  for (const MenuPopup& popup : CommandMenu()) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id == 0 || entry.submenu) continue;
      ++menu_ids;
      if (commands_run_.count(entry.id) != 0) continue;
      ++never_count;
      never_run += " \"" + Utf8(Plain(QString::fromUtf8(entry.caption.data(), entry.caption.size()))) + "\"";
    }
  }
  Print(stdout, "monkey: " + Text(options_.actions) + " actions passed in " + Text(std::llround(seconds)) +
                    " s, seed " + std::to_string(options_.seed));
  std::string kinds;
  for (const auto& [name, count] : actions_run_) kinds += " " + name + " " + Text(count);
  Print(stdout, "monkey: actions:" + kinds);
  Print(stdout, "monkey: " + Text(menu_ids - never_count) + " of " + Text(menu_ids) + " menu commands carried out" +
                    (never_run.empty() ? "" : "; never:" + never_run));
  Print(stdout, "monkey: " + Text(designs_replaced_) + " designs replaced (New, Open), the longest history " +
                    Text(longest_history_) + " steps, the slowest action " + Text(slowest_action_) + " (" +
                    Text(slowest_ms_) + " ms)");
  std::string windows;
  for (const auto& [name, count] : windows_seen_) windows += " \"" + Utf8(name) + "\" " + Text(count) + ";";
  Print(stdout, "monkey: windows answered:" + windows);
  Stop();
  return true;
}

std::string MonkeySession::RunAction(Rng& rng) {
  struct Kind {
    const char* name;
    int weight;
    std::string (MonkeySession::*run)(Rng&);
  };
  static constexpr std::array<Kind, 17> kKinds{{
      {"menu", 30, &MonkeySession::MenuCommand},
      {"stray-command", 2, &MonkeySession::StrayCommand},
      {"key", 14, &MonkeySession::KeyPress},
      {"menu-keys", 4, &MonkeySession::MenuByKeys},
      {"drag", 16, &MonkeySession::Drag},
      {"press", 3, &MonkeySession::PressOnly},
      {"move", 5, &MonkeySession::MoveOnly},
      {"release", 3, &MonkeySession::ReleaseOnly},
      {"double-click", 2, &MonkeySession::DoubleClick},
      {"scroll-bar", 4, &MonkeySession::ScrollBar},
      {"resize", 2, &MonkeySession::Resize},
      {"undo-redo", 5, &MonkeySession::UndoRedo},
      {"windows", 2, &MonkeySession::PokeWindows},
      {"files", 2, &MonkeySession::ChangeFiles},
      {"wait", 1, &MonkeySession::Wait},
      {"recovery", 1, &MonkeySession::RecoveryCopy},
      {"rare", 2, nullptr},
  }};
  int total = 0;
  for (const Kind& kind : kKinds) total += kind.weight;
  int draw = Pick(rng, total);
  for (const Kind& kind : kKinds) {
    if (draw >= kind.weight) {
      draw -= kind.weight;
      continue;
    }
    ++actions_run_[kind.name];
    if (kind.run != nullptr) return (this->*kind.run)(rng);
    // The rare ones: walking the whole history, the close box.
    return Chance(rng, 0.5) ? HistoryWalk() : CloseWindow();
  }
  return "nothing";
}

// ---- Commands and keys

std::string MonkeySession::MenuCommand(Rng& rng) {
  std::vector<const MenuEntry*> entries;
  for (const MenuPopup& popup : CommandMenu()) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id != 0) entries.push_back(&entry);
    }
  }
  const MenuEntry* drawn = nullptr;
  do {
    drawn = entries[static_cast<std::size_t>(Pick(rng, static_cast<int>(entries.size())))];
  } while ((drawn->id == kCmdNew || drawn->id == kCmdOpen || drawn->submenu || drawn->id == kCmdExit) &&
           !Chance(rng, kHistoryEndingShare));
  const MenuEntry& entry = *drawn;
  QAction* action = window_->ActionFor(entry.id);
  if (action == nullptr) {
    Fail("the menu has no item for command " + Text(entry.id));
    return "menu " + Text(entry.id);
  }
  // As the menu is opened: the marks and greying are brought up to date first.
  for (QObject* object : action->associatedObjects()) {
    if (auto* menu = qobject_cast<QMenu*>(object)) emit menu->aboutToShow();
  }
  if (entry.submenu) {
    QMenu* submenu = action->menu();
    if (submenu == nullptr || !action->isEnabled()) return "menu Open Recent (greyed)";
    if (window_->UndoStack().count() > 0) HistoryWalk();
    emit submenu->aboutToShow();
    const QList<QAction*> items = submenu->actions();
    if (items.isEmpty()) return "menu Open Recent (empty)";
    QAction* item = items[Pick(rng, static_cast<int>(items.size()))];
    const std::string name = "menu Open Recent " + Utf8(item->text());
    ++commands_run_[item->data().toInt()];
    item->trigger();
    return name;
  }
  std::string name = "menu " + Utf8(Plain(action->text()));
  if (!action->isEnabled()) return name + " (greyed)";
  // The steps go with the design a new or opened one replaces: checked while they are there.
  if ((entry.id == kCmdNew || entry.id == kCmdOpen) && window_->UndoStack().count() > 0) {
    name = HistoryWalk() + ", " + name;
  }
  ++commands_run_[entry.id];
  action->trigger();
  return name;
}

std::string MonkeySession::StrayCommand(Rng& rng) {
  // Ids with no item, greyed items, and ids of commands other windows may add later.
  const int id = RandomIn(rng, 990, 1320);
  window_->RunCommand(id);
  return "command id " + Text(id);
}

std::string MonkeySession::KeyPress(Rng& rng) {
  struct Key {
    int key;
    Qt::KeyboardModifiers modifiers;
  };
  static const std::array<Key, 40> kKeys{{
      {Qt::Key_Left, {}},          {Qt::Key_Right, {}},
      {Qt::Key_Up, {}},            {Qt::Key_Down, {}},
      {Qt::Key_Left, Qt::ShiftModifier}, {Qt::Key_Down, Qt::ShiftModifier},
      {Qt::Key_PageUp, {}},        {Qt::Key_PageDown, {}},
      {Qt::Key_Home, {}},          {Qt::Key_End, {}},
      {Qt::Key_X, {}},             {Qt::Key_Y, {}},
      {Qt::Key_Z, {}},             {Qt::Key_X, Qt::ShiftModifier},
      {Qt::Key_Y, Qt::ShiftModifier}, {Qt::Key_Z, Qt::ShiftModifier},
      {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_Y, Qt::ControlModifier},
      {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}, {Qt::Key_N, Qt::ControlModifier},
      {Qt::Key_O, Qt::ControlModifier}, {Qt::Key_S, Qt::ControlModifier},
      {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier}, {Qt::Key_C, Qt::ControlModifier},
      {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
      {Qt::Key_F1, {}},            {Qt::Key_F10, {}},
      {Qt::Key_Escape, {}},        {Qt::Key_Return, {}},
      {Qt::Key_Space, {}},         {Qt::Key_Tab, {}},
      {Qt::Key_Backspace, {}},     {Qt::Key_Delete, {}},
      {Qt::Key_Alt, {}},           {Qt::Key_Menu, {}},
      {Qt::Key_Plus, Qt::ControlModifier}, {Qt::Key_Minus, {}},
      {Qt::Key_Q, Qt::ControlModifier}, {Qt::Key_W, Qt::ControlModifier},
  }};
  Key key = PickOf(rng, kKeys);
  if (Chance(rng, 0.1)) {
    key.key = Qt::Key_A + Pick(rng, 26);
    static const std::array<Qt::KeyboardModifiers, 5> kModifiers{
        Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
        Qt::ControlModifier | Qt::AltModifier};
    key.modifiers = PickOf(rng, kModifiers);
  }
  QTest::keyClick(window_.get(), static_cast<Qt::Key>(key.key), key.modifiers);
  return "key " + KeyName(key.key, key.modifiers);
}

std::string MonkeySession::MenuByKeys(Rng& rng) {
  const std::vector<int> mnemonics = MenuMnemonics();
  const int key = mnemonics[static_cast<std::size_t>(Pick(rng, static_cast<int>(mnemonics.size())))];
  QTest::keyClick(window_.get(), static_cast<Qt::Key>(key), Qt::AltModifier);
  std::string what = "key " + KeyName(key, Qt::AltModifier);
  for (int step = 0; step < 6 && QApplication::activePopupWidget() != nullptr && !Failed(); ++step) {
    what += ", " + PopupKeys(rng);
  }
  return what;
}

std::string MonkeySession::PopupKeys(Rng& rng) {
  QWidget* popup = QApplication::activePopupWidget();
  if (popup == nullptr) return "no popup";
  static const std::array<int, 9> kKeys{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up,     Qt::Key_Left,  Qt::Key_Right,
                                        Qt::Key_Return, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space};
  const int key = PickOf(rng, kKeys);
  QTest::keyClick(popup, static_cast<Qt::Key>(key));
  return "popup " + KeyName(key, {});
}

std::string MonkeySession::UndoRedo(Rng& rng) {
  const bool undo = Chance(rng, 0.5);
  const int times = Chance(rng, 0.7) ? 1 : RandomIn(rng, 2, 10);
  for (int i = 0; i < times; ++i) window_->RunCommand(undo ? kCmdUndo : kCmdRedo);
  return std::string(undo ? "undo" : "redo") + " x" + Text(times);
}

// ---- The mouse

QPoint MonkeySession::PressPoint(Rng& rng) const {
  const SceneModel& scene = window_->State();
  QWidget* viewport = window_->Drawing()->viewport();
  const QPoint jitter(RandomIn(rng, -4, 4), RandomIn(rng, -4, 4));
  const QPoint anywhere(RandomIn(rng, 0, std::max(0, window_->width() - 1)),
                        RandomIn(rng, 0, std::max(0, window_->height() - 1)));
  QPoint at;
  switch (Pick(rng, 6)) {
    case 0:
    case 1: {
      const GeneratorRecord& g = scene.design.generators[static_cast<std::size_t>(Pick(rng, kGeneratorCount))];
      at = ViewportToWindow(QPoint(WorldToWindowX(scene.view, g.x, g.y), WorldToWindowY(scene.view, g.y, g.z)) +
                            jitter);
      break;
    }
    case 2:
    case 3: {
      int h = 0;
      int v = 0;
      BedHandlePoint(BedCorners(scene.design, scene.view), Pick(rng, 8), h, v);
      at = ViewportToWindow(QPoint(h, v) + jitter);
      break;
    }
    case 4:
      at = ViewportToWindow(QPoint(RandomIn(rng, 0, std::max(0, viewport->width() - 1)),
                                   RandomIn(rng, 0, std::max(0, viewport->height() - 1))));
      break;
    default:
      // The menu bar, the scroll bars, the read-out strip.
      return anywhere;
  }
  // A button goes down only inside the window; a target scrolled out of sight is missed.
  return window_->rect().contains(at) ? at : anywhere;
}

QPoint MonkeySession::NextPoint(Rng& rng, QPoint from) const {
  const int w = window_->width();
  const int h = window_->height();
  switch (Pick(rng, 10)) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
      return from + QPoint(RandomIn(rng, -80, 80), RandomIn(rng, -80, 80));
    case 5:
    case 6:
      return QPoint(RandomIn(rng, 0, std::max(0, w - 1)), RandomIn(rng, 0, std::max(0, h - 1)));
    case 7:
    case 8:
      // Outside the window.
      return QPoint(RandomIn(rng, -2000, w + 2000), RandomIn(rng, -2000, h + 2000));
    default:
      return QPoint(RandomIn(rng, -30000, 30000), RandomIn(rng, -30000, 30000));
  }
}

void MonkeySession::Press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
  // A button is pressed again only after it went up.
  if (held_ & button) Release(button, pointer_);
  held_ |= button;
  pointer_ = at;
  QTest::mousePress(Window(), button, modifiers, at);
}

void MonkeySession::Release(Qt::MouseButton button, QPoint at) {
  held_ &= ~Qt::MouseButtons(button);
  pointer_ = at;
  QTest::mouseRelease(Window(), button, {}, at);
}

void MonkeySession::ReleaseHeldButtons() {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    if (held_ & button) Release(button, pointer_);
  }
}

void MonkeySession::CloseMenus() {
  for (int i = 0; i < 10 && QApplication::activePopupWidget() != nullptr; ++i) {
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  }
}

std::string MonkeySession::Drag(Rng& rng) {
  const Qt::MouseButton button = Chance(rng, 0.9) ? Qt::LeftButton : (Chance(rng, 0.5) ? Qt::RightButton : Qt::MiddleButton);
  const Qt::KeyboardModifiers modifiers = Chance(rng, 0.1) ? Qt::ShiftModifier : Qt::NoModifier;
  const QPoint start = PressPoint(rng);
  std::string what = std::string("drag ") + (button == Qt::LeftButton ? "left" : "other") + " in mode " +
                     Text(State().design.edit_mode) + " from " + PointText(start);
  Press(button, modifiers, start);
  const int moves = RandomIn(rng, 0, 12);
  QPoint at = start;
  for (int i = 0; i < moves && !Failed(); ++i) {
    at = NextPoint(rng, at);
    pointer_ = at;
    QTest::mouseMove(Window(), at);
  }
  if (Chance(rng, 0.3)) at = NextPoint(rng, at);
  what += " via " + Text(moves) + " moves to " + PointText(at);
  if (held_ & button) Release(button, at);
  return what;
}

std::string MonkeySession::PressOnly(Rng& rng) {
  const QPoint at = PressPoint(rng);
  Press(Qt::LeftButton, {}, at);
  return "press left at " + PointText(at);
}

std::string MonkeySession::MoveOnly(Rng& rng) {
  const int moves = RandomIn(rng, 1, 6);
  for (int i = 0; i < moves; ++i) {
    pointer_ = NextPoint(rng, pointer_);
    QTest::mouseMove(Window(), pointer_);
  }
  return "move " + Text(moves) + " times to " + PointText(pointer_);
}

std::string MonkeySession::ReleaseOnly(Rng& rng) {
  const QPoint at = Chance(rng, 0.5) ? pointer_ : NextPoint(rng, pointer_);
  if (!(held_ & Qt::LeftButton)) return "release (none held)";
  Release(Qt::LeftButton, at);
  return "release left at " + PointText(at);
}

std::string MonkeySession::DoubleClick(Rng& rng) {
  const QPoint at = PressPoint(rng);
  QTest::mouseDClick(Window(), Qt::LeftButton, {}, at);
  pointer_ = at;
  return "double click at " + PointText(at);
}

std::string MonkeySession::ScrollBar(Rng& rng) {
  QScrollBar* bar = Chance(rng, 0.5) ? window_->Drawing()->horizontalScrollBar() : window_->Drawing()->verticalScrollBar();
  const char* name = bar == window_->Drawing()->horizontalScrollBar() ? "horizontal" : "vertical";
  if (Chance(rng, 0.3)) {
    // The thumb dragged and let go.
    const int to = RandomIn(rng, bar->minimum() - 50, bar->maximum() + 50);
    bar->setSliderDown(true);
    bar->setSliderPosition(to);
    bar->setSliderDown(false);
    return std::string("thumb of the ") + name + " bar to " + Text(to);
  }
  static const std::array<QAbstractSlider::SliderAction, 6> kActions{
      QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub, QAbstractSlider::SliderPageStepAdd,
      QAbstractSlider::SliderPageStepSub,   QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
  const QAbstractSlider::SliderAction action = PickOf(rng, kActions);
  bar->triggerAction(action);
  return std::string(name) + " bar action " + Text(static_cast<int>(action));
}

std::string MonkeySession::Resize(Rng& rng) {
  QSize size = start_size_;
  if (Chance(rng, 0.05)) {
    size = QSize(RandomIn(rng, 1, 60), RandomIn(rng, 1, 60));
  } else if (Chance(rng, 0.5)) {
    size = QSize(RandomIn(rng, 200, 1600), RandomIn(rng, 150, 1200));
  }
  window_->resize(size);
  QApplication::processEvents();
  return "resize to " + Text(size.width()) + "x" + Text(size.height());
}

// ---- Windows and files

std::string MonkeySession::HistoryWalk() {
  // Down to the oldest step and back up through the commands: the design at each place in the
  // history is the same on the way down and on the way up.
  QUndoStack& stack = window_->UndoStack();
  const int top = stack.index();
  std::vector<DesignRecord> down;
  down.push_back(State().design);
  while (stack.canUndo() && !Failed()) {
    window_->RunCommand(kCmdUndo);
    down.push_back(State().design);
  }
  if (stack.index() == 0 && !testing::SameUndoableDesign(baseline_, State().design)) {
    Fail("undoing every step does not give the design the history began with (" +
         testing::FirstDifference(baseline_, State().design) + " differs)");
  }
  for (int index = 1; index <= top && !Failed(); ++index) {
    window_->RunCommand(kCmdRedo);
    const DesignRecord& expected = down[static_cast<std::size_t>(top - index)];
    if (!testing::SameUndoableDesign(expected, State().design)) {
      Fail("redo to step " + Text(index) + " of " + Text(top) + " \"" + Utf8(stack.text(index - 1)) +
           "\" gives another design than undo did (" + testing::FirstDifference(expected, State().design) +
           " differs)");
    }
  }
  if (stack.index() != top) Fail("the history walk did not come back to the newest step");
  return "history walk over " + Text(top) + " steps";
}

std::string MonkeySession::CloseWindow() {
  window_->close();
  QApplication::processEvents();
  if (window_->isVisible()) return "close box (stayed open)";
  // Closed for good: shown again, as a new start would, with the design it had.
  window_->show();
  if (!QTest::qWaitForWindowExposed(window_.get())) Fail("the main window does not show again");
  window_->activateWindow();
  return "close box (closed, shown again)";
}

std::string MonkeySession::PokeWindows(Rng& rng) {
  std::string what = "windows:";
  // In the order they first showed, not the application's (which follows their addresses), so
  // that a seed replays; an answer may close (and delete) a window, or open another.
  std::erase_if(known_windows_, [](const QPointer<QWidget>& known) { return known.isNull(); });
  std::vector<QWidget*> appeared;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (std::find(known_windows_.begin(), known_windows_.end(), top) == known_windows_.end()) appeared.push_back(top);
  }
  std::stable_sort(appeared.begin(), appeared.end(),
                   [](QWidget* a, QWidget* b) { return a->windowTitle() < b->windowTitle(); });
  known_windows_.insert(known_windows_.end(), appeared.begin(), appeared.end());
  const std::vector<QPointer<QWidget>> tops = known_windows_;
  for (const QPointer<QWidget>& top : tops) {
    if (!top || top == window_.get() || !top->isVisible()) continue;
    if ((top->windowType() & Qt::Popup) == Qt::Popup) continue;
    NoteWindow(top->windowTitle());
    what += " \"" + Utf8(top->windowTitle()) + "\"";
    const std::vector<QAbstractButton*> buttons = ClickableButtons(top);
    if (qobject_cast<QDialog*>(top) != nullptr || !top->findChildren<QLineEdit*>().isEmpty()) {
      AnswerDialog(top, rng, false);
    } else if (!buttons.empty() && Chance(rng, 0.5)) {
      QAbstractButton* button = buttons[static_cast<std::size_t>(Pick(rng, static_cast<int>(buttons.size())))];
      what += " clicked \"" + Utf8(Plain(button->text())) + "\"";
      button->click();
    } else if (Chance(rng, 0.5)) {
      top->close();
    } else {
      QTest::keyClick(top, Chance(rng, 0.5) ? Qt::Key_PageDown : Qt::Key_End);
    }
  }
  return what;
}

std::string MonkeySession::ChangeFiles(Rng& rng) {
  // What happens to files behind the window's back: a saved design turns bad or goes.
  if (saved_files_.empty()) return "files: none saved";
  const QString path = saved_files_[static_cast<std::size_t>(Pick(rng, static_cast<int>(saved_files_.size())))];
  // The window's own file is left alone: an unmodified title promises what it holds.
  if (QFileInfo(path).absoluteFilePath() == window_->Files().FilePath()) return "files: left the design's own file";
  if (Chance(rng, 0.5)) {
    QFile::remove(path);
    return "files: removed " + Utf8(QFileInfo(path).fileName());
  }
  const QString broken = BrokenDesignFile(rng);
  QFile::remove(path);
  QFile::copy(broken, path);
  return "files: spoilt " + Utf8(QFileInfo(path).fileName());
}

std::string MonkeySession::Wait(Rng& rng) {
  const int ms = RandomIn(rng, 0, 200);
  QTest::qWait(ms);
  return "wait " + Text(ms) + " ms";
}

std::string MonkeySession::RecoveryCopy(Rng&) {
  // As when the pause after the last change is over: the copy holds the design as it stands.
  window_->Files().WriteRecoveryNow();
  if (State().design.design_modified == 0) return "recovery copy (nothing unsaved)";
  DesignRecord kept = State().design;
  StoredView view;
  std::string error;
  if (!ReadDesignFile(FileSystemPath(window_->Files().Recovery().DesignPath()), kept, view, error)) {
    Fail("the recovery copy does not open: " + error);
  } else if (!testing::SameUndoableDesign(kept, State().design)) {
    Fail("the recovery copy holds another design (" + testing::FirstDifference(kept, State().design) + " differs)");
  }
  return "recovery copy";
}

QString MonkeySession::BrokenDesignFile(Rng& rng) {
  QByteArray text = WriteDesignJson(State().design, StoreView(State().view)).c_str();
  switch (Pick(rng, 6)) {
    case 0:
      text.truncate(Pick(rng, static_cast<int>(text.size())));
      break;
    case 1: {
      static const std::array<const char*, 8> kValues{"\"nan\"", "1e999", "-1", "\"abc\"", "2147483648", "true", "null", "[]"};
      const qsizetype colon = text.indexOf(':', Pick(rng, static_cast<int>(text.size())));
      if (colon >= 0) {
        const qsizetype end = text.indexOf(',', colon);
        text.replace(colon + 1, (end < 0 ? text.size() : end) - colon - 1, PickOf(rng, kValues));
      }
      break;
    }
    case 2:
      text = QByteArray(RandomIn(rng, 1, 4096), '\0');
      for (char& c : text) c = static_cast<char>(Pick(rng, 256));
      break;
    case 3:
      text.clear();
      break;
    case 4:
      text = QByteArray(RandomIn(rng, 1000, 100000), '[');
      break;
    default:
      text.replace("\"format\"", "\"forma\"");
      break;
  }
  const QString path = ScratchPath(QStringLiteral("broken-%1.orvendi").arg(file_counter_++ % 6));
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(text);
  return path;
}

QString MonkeySession::ChooseFile(DesignFiles::FileQuestion question) {
  Rng& rng = handler_rng_;
  NoteWindow(question == DesignFiles::FileQuestion::kOpen     ? QStringLiteral("file chooser: open")
             : question == DesignFiles::FileQuestion::kSaveAs ? QStringLiteral("file chooser: save as")
                                                              : QStringLiteral("file chooser: export"));
  const int draw = Pick(rng, 20);
  if (draw < 3) return {};
  if (draw < 5) return ScratchPath(QStringLiteral("no-such-folder/file.orvendi"));
  if (draw < 6) return scratch_;
  if (question == DesignFiles::FileQuestion::kOpen) {
    if (draw < 9) return BrokenDesignFile(rng);
    if (draw < 10) return ScratchPath(QStringLiteral("missing.orvendi"));
    return saved_files_[static_cast<std::size_t>(Pick(rng, static_cast<int>(saved_files_.size())))];
  }
  if (question == DesignFiles::FileQuestion::kExportCsv) {
    return ScratchPath(QStringLiteral("points-%1.csv").arg(Pick(rng, 3)));
  }
  if (question == DesignFiles::FileQuestion::kExportReport) return ScratchPath(QStringLiteral("report.html"));
  if (question == DesignFiles::FileQuestion::kPrintReport) return ScratchPath(QStringLiteral("report.pdf"));
  const QString path = ScratchPath(QStringLiteral("design-%1.orvendi").arg(Pick(rng, 6)));
  if (std::find(saved_files_.begin(), saved_files_.end(), path) == saved_files_.end()) saved_files_.push_back(path);
  return path;
}

// ---- Answering modal windows

void MonkeySession::NoteWindow(const QString& name) { ++windows_seen_[name.left(60)]; }

void MonkeySession::OnTick() {
  if (!window_ || answer_pending_) return;
  if (QWidget* popup = QApplication::activePopupWidget()) {
    // A popup the session opened itself is its next action's; one that stays up this long was
    // shown with its own event loop (a tool button's menu) and waits for an answer.
    if (popup != popup_) {
      popup_ = popup;
      popup_since_ = Clock::now();
    } else if (Clock::now() - popup_since_ > std::chrono::milliseconds(kPopupWaitMs)) {
      NoteWindow(QStringLiteral("popup menu"));
      PostKey(popup, Chance(handler_rng_, 0.7) ? Qt::Key_Escape : Qt::Key_Return);
      popup_since_ = Clock::now();
    }
    return;
  }
  popup_ = nullptr;
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  if (auto* progress = qobject_cast<QProgressDialog*>(modal)) {
    AnswerProgress(progress);
    return;
  }
  // Answered from the event loop, not from the timer: an answer may open the next modal window,
  // whose loop needs this timer.
  answer_pending_ = true;
  QPointer<QWidget> target(modal);
  QMetaObject::invokeMethod(
      &context_,
      [this, target] {
        answer_pending_ = false;
        if (target && target->isVisible()) Answer(target);
      },
      Qt::QueuedConnection);
}

void MonkeySession::AnswerProgress(QProgressDialog* progress) {
  if (progress_ != progress) {
    progress_ = progress;
    NoteWindow(QStringLiteral("progress: ") + progress->labelText());
    const int wait_ms = Chance(progress_rng_, 0.4) ? 0 : RandomIn(progress_rng_, 0, 1500);
    progress_deadline_ = Clock::now() + std::chrono::milliseconds(wait_ms);
  }
  if (Clock::now() >= progress_deadline_ && !progress->wasCanceled()) progress->cancel();
}

void MonkeySession::Answer(QWidget* modal) {
  Rng& rng = handler_rng_;
  const int rounds = modal->property(kRoundsProperty).toInt() + 1;
  modal->setProperty(kRoundsProperty, rounds);
  if (rounds > kRoundsBeforeFailure) {
    Fail("the window \"" + Utf8(modal->windowTitle()) + "\" does not close");
    modal->hide();
    return;
  }
  if (auto* files = qobject_cast<QFileDialog*>(modal)) {
    NoteWindow(QStringLiteral("file dialog: ") + files->windowTitle());
    AnswerFileDialog(files, rng);
    return;
  }
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    NoteWindow(QStringLiteral("message: ") + box->text().section(QLatin1Char('\n'), 0, 0));
    AnswerMessage(box, rng);
    return;
  }
  NoteWindow(modal->windowTitle());
  dialog_answered_ = true;
  if (rounds == 1 && FillValidStudy(modal, rng)) return;
  AnswerDialog(modal, rng, rounds > kRoundsBeforeCancel);
}

bool MonkeySession::FillValidStudy(QWidget* dialog, Rng& rng) {
  const bool sweep = dialog->objectName() == QStringLiteral("Sweep");
  if (!sweep && dialog->objectName() != QStringLiteral("OptimizeLayout")) return false;
  if (!Chance(rng, kValidStudyShare)) return false;
  const auto entry = [dialog](const QString& name, const QString& text) {
    if (auto* edit = dialog->findChild<QLineEdit*>(name)) edit->setText(text);
  };
  const auto combo = [dialog](const char* name) { return dialog->findChild<QComboBox*>(QString::fromLatin1(name)); };
  if (sweep) {
    QComboBox* first = combo("Parameter");
    QComboBox* second = combo("Parameter2");
    QComboBox* map = combo("Map");
    if (first == nullptr || second == nullptr || map == nullptr || first->count() < 2) return false;
    // Choosing a value proposes its range.
    first->setCurrentIndex(Pick(rng, first->count()));
    entry(QStringLiteral("Count"), QStringLiteral("2"));
    int other = -1;
    if (Chance(rng, 0.5)) {
      other = Pick(rng, first->count() - 1);
      if (other >= first->currentIndex()) ++other;
      map->setCurrentIndex(Pick(rng, map->count()));
    }
    second->setCurrentIndex(other + 1);  // after "None"
    entry(QStringLiteral("Count2"), QStringLiteral("2"));
    entry(QStringLiteral("Runs"), QString::number(RandomIn(rng, 1, 2)));
  } else {
    const QList<QCheckBox*> rows = dialog->findChildren<QCheckBox*>();
    if (rows.isEmpty()) return false;
    for (QCheckBox* row : rows) row->setChecked(false);
    for (int k = RandomIn(rng, 1, 2); k > 0; --k) rows[Pick(rng, static_cast<int>(rows.size()))]->setChecked(true);
    if (QComboBox* objective = combo("Objective")) objective->setCurrentIndex(Pick(rng, objective->count()));
    entry(QStringLiteral("Evaluations"), QString::number(RandomIn(rng, 2, 12)));
    entry(QStringLiteral("Runs"), QStringLiteral("2"));
  }
  NoteWindow(dialog->windowTitle() + QStringLiteral(" with entries that hold"));
  for (QAbstractButton* button : ClickableButtons(dialog)) {
    if (IsAcceptButton(button)) {
      button->click();
      return true;
    }
  }
  return false;
}

void MonkeySession::AnswerFileDialog(QFileDialog* files, Rng& rng) {
  // The main window asks through its file chooser; other windows (a plot's Save As) ask here.
  const int draw = Pick(rng, 10);
  if (draw < 3) {
    files->reject();
    return;
  }
  const QString suffix = files->defaultSuffix().isEmpty() ? QStringLiteral("svg") : files->defaultSuffix();
  QString name = ScratchPath(QStringLiteral("asked-%1.%2").arg(Pick(rng, 3)).arg(suffix));
  if (draw == 3) name = ScratchPath(QStringLiteral("no-such-folder/asked.") + suffix);
  if (draw == 4) name = QStringLiteral("asked-without-ending");
  files->selectFile(name);
  // Its own accept is protected; through the base it is the same virtual call as the Save button.
  static_cast<QDialog*>(files)->accept();
}

void MonkeySession::AnswerMessage(QMessageBox* box, Rng& rng) {
  const QList<QAbstractButton*> buttons = box->buttons();
  const int draw = Pick(rng, 10);
  if (draw == 0) {
    PostKey(box, Qt::Key_Escape);
  } else if (draw == 1) {
    box->close();
  } else if (!buttons.isEmpty()) {
    buttons[Pick(rng, static_cast<int>(buttons.size()))]->click();
  } else {
    box->close();
  }
}

void MonkeySession::FillEntries(QWidget* dialog, Rng& rng) {
  for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
    if (!edit->isVisibleTo(dialog) || !edit->isEnabled() || edit->isReadOnly() || !Chance(rng, 0.7)) continue;
    const std::string text = testing::EntryText(rng, Utf8(edit->text()));
    if (text.size() <= 24 && Printable(text) && Chance(rng, 0.3)) {
      // Typed key by key, as a user does.
      edit->setFocus();
      edit->selectAll();
      QTest::keyClick(edit, Qt::Key_Backspace);
      QTest::keyClicks(edit, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    } else {
      edit->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
  }
  for (QAbstractSpinBox* spin : dialog->findChildren<QAbstractSpinBox*>()) {
    if (!spin->isVisibleTo(dialog) || !spin->isEnabled() || !Chance(rng, 0.7)) continue;
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    const std::string text = testing::EntryText(rng, Utf8(spin->text()));
    if (text.size() <= 24 && Printable(text)) QTest::keyClicks(spin, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    if (Chance(rng, 0.3)) QTest::keyClick(spin, Chance(rng, 0.5) ? Qt::Key_Up : Qt::Key_PageDown);
  }
  for (QComboBox* combo : dialog->findChildren<QComboBox*>()) {
    if (!combo->isVisibleTo(dialog) || !combo->isEnabled() || combo->count() == 0 || !Chance(rng, 0.5)) continue;
    combo->setCurrentIndex(Pick(rng, combo->count()));
  }
  for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
    if (!button->isCheckable() || !button->isVisibleTo(dialog) || !button->isEnabled() || !Chance(rng, 0.3)) continue;
    button->click();
  }
}

void MonkeySession::AnswerDialog(QWidget* dialog, Rng& rng, bool forced) {
  if (!forced) FillEntries(dialog, rng);
  QPointer<QWidget> still(dialog);
  if (!still || !still->isVisible()) return;

  std::vector<QAbstractButton*> accept;
  std::vector<QAbstractButton*> cancel;
  std::vector<QAbstractButton*> others;
  for (QAbstractButton* button : ClickableButtons(dialog)) {
    if (IsAcceptButton(button)) {
      accept.push_back(button);
    } else if (IsCancelButton(button)) {
      cancel.push_back(button);
    } else {
      others.push_back(button);
    }
  }
  auto* as_dialog = qobject_cast<QDialog*>(dialog);
  if (forced) {
    if (!cancel.empty()) {
      cancel.front()->click();
    } else if (as_dialog != nullptr) {
      as_dialog->reject();
    } else {
      dialog->close();
    }
    return;
  }
  const int draw = Pick(rng, 20);
  auto pick = [&rng](const std::vector<QAbstractButton*>& buttons) {
    return buttons[static_cast<std::size_t>(Pick(rng, static_cast<int>(buttons.size())))];
  };
  if (draw < 11 && !accept.empty()) {
    pick(accept)->click();
  } else if (draw < 15 && !cancel.empty()) {
    pick(cancel)->click();
  } else if (draw < 16 && !others.empty()) {
    pick(others)->click();
  } else if (draw < 17) {
    PostKey(dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog, Qt::Key_Return);
  } else if (draw < 18) {
    PostKey(dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog, Qt::Key_Escape);
  } else {
    // The close box.
    dialog->close();
  }
}

// ---- Invariants

void MonkeySession::Settle() {
  // The window answers: a timer posted now fires within the limit.
  bool answered = false;
  QTimer::singleShot(0, &context_, [&answered] { answered = true; });
  QElapsedTimer clock;
  clock.start();
  while (!answered && clock.elapsed() < kAnswerTimeoutMs) QCoreApplication::processEvents();
  if (!answered) Fail("the event loop did not answer within " + Text(kAnswerTimeoutMs / 1000) + " s");
  // A modal window left open by an action (not one shown with exec) is answered here.
  while (QApplication::activeModalWidget() != nullptr && clock.elapsed() < kAnswerTimeoutMs && !Failed()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  if (QApplication::activeModalWidget() != nullptr) {
    Fail("the modal window \"" + Utf8(QApplication::activeModalWidget()->windowTitle()) + "\" stays open");
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // The window manager gives the activation back when a dialog goes; the offscreen platform
  // leaves no window active, and keys would then reach no shortcut.
  if (QApplication::activeWindow() == nullptr && window_->isVisible()) {
    window_->activateWindow();
    QCoreApplication::processEvents();
  }
}

void MonkeySession::CheckAfterAction(bool typed) {
  const DesignRecord& design = State().design;
  const ViewState& view = State().view;

  const std::vector<testing::DesignNumber> numbers = testing::DesignNumbers(design);
  const std::vector<std::string> lost = testing::LostFiniteKeys(numbers_, numbers, typed);
  if (!lost.empty()) return Fail("the design value " + lost.front() + " is no longer a finite number");
  numbers_ = numbers;
  const std::vector<std::string> lost_view = testing::LostFiniteView(view_, view);
  if (!lost_view.empty()) return Fail("the view value " + lost_view.front() + " is no longer a finite number");
  view_ = view;

  if (const std::string problem = testing::FileRoundTripProblem(design, StoreView(view)); !problem.empty()) {
    return Fail(problem);
  }

  if (window_->isVisible() && window_->isWindowModified() != (design.design_modified != 0)) {
    return Fail("the title's modified mark does not match the design");
  }
  // A title without the modified mark promises that the design's file holds the design.
  if (design.design_modified == 0 && !window_->Files().FilePath().isEmpty()) {
    DesignRecord saved = design;
    StoredView saved_view;
    std::string error;
    if (!ReadDesignFile(window_->Files().FilePath().toStdString(), saved, saved_view, error)) {
      return Fail("the design's file does not open although nothing is unsaved: " + error);
    }
    if (!testing::SameUndoableDesign(saved, design)) {
      return Fail("the design's file holds another design although nothing is unsaved (" +
                  testing::FirstDifference(saved, design) + " differs)");
    }
  }
  QStringList recent = window_->Files().RecentFiles();
  if (recent.size() > kRecentFileCount || recent.removeDuplicates() > 0) {
    return Fail("the recent files list is too long or names a file twice");
  }

  for (QScrollBar* bar : {window_->Drawing()->horizontalScrollBar(), window_->Drawing()->verticalScrollBar()}) {
    if (bar->isSliderDown() || (held_ != Qt::NoButton)) continue;
    const int stored = bar == window_->Drawing()->horizontalScrollBar() ? view.hscroll_pos : view.vscroll_pos;
    if (bar->minimum() > bar->maximum()) return Fail("a scroll bar's range is reversed");
    if (bar->value() != std::clamp(stored, bar->minimum(), bar->maximum())) {
      return Fail("a scroll bar's thumb (" + Text(bar->value()) + ") does not show the view's position (" +
                  Text(stored) + ")");
    }
  }

  if (held_ != Qt::NoButton) return;
  if (QGuiApplication::overrideCursor() != nullptr) return Fail("a busy cursor is left on");
  if (window_->Drawing()->MouseCaptured() || QWidget::mouseGrabber() != nullptr) {
    return Fail("the mouse is still captured after the button went up");
  }
  if (history_events_ == settled_events_ && !testing::SameUndoableDesign(settled_, design)) {
    return Fail("the design changed without an undo step (" + testing::FirstDifference(settled_, design) + ")");
  }
  settled_ = design;
  settled_events_ = history_events_;
}

void MonkeySession::CheckFinal() {
  ReleaseHeldButtons();
  CloseMenus();
  Settle();
  if (Failed()) return;
  const DesignRecord newest = State().design;
  QUndoStack& stack = window_->UndoStack();
  const int steps = stack.index();
  for (int i = 0; i < steps && stack.canUndo(); ++i) window_->RunCommand(kCmdUndo);
  Settle();
  if (stack.canUndo()) return Fail("steps are left after undoing every step");
  if (!testing::SameUndoableDesign(baseline_, State().design)) {
    return Fail("undoing every step does not restore the design of action " + Text(baseline_action_) + " (" +
                testing::FirstDifference(baseline_, State().design) + " differs)");
  }
  for (int i = 0; i < steps && stack.canRedo(); ++i) window_->RunCommand(kCmdRedo);
  Settle();
  if (!testing::SameUndoableDesign(newest, State().design)) {
    return Fail("redoing every step does not give the newest design back (" +
                testing::FirstDifference(newest, State().design) + " differs)");
  }
  Print(stdout, "monkey: " + Text(steps) + " steps undone back to the design of action " + Text(baseline_action_) +
                    " and redone");
}

}  // namespace orvendi::monkey
