#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/design/design_record.h"
#include "gui/files/design_files.h"
#include "gui/shell/main_window.h"
#include "support/design_checks.h"
#include "support/entry_text.h"
#include "core/views/view_state.h"

class QAbstractButton;
class QDialog;
class QFileDialog;
class QMessageBox;
class QProgressDialog;
class QWidget;
class QWindow;

namespace orvendi::monkey {

using testing::Rng;

struct MonkeyOptions {
  std::uint64_t seed = 1;
  int actions = 2000;
  bool trace = false;  // every action on standard output as it starts
};

// A long random session with the real main window: menu commands, keys, mouse drags in both edit
// modes, every dialog filled with random and hostile text and closed with OK or Cancel, undo and
// redo, saving and opening files. After each action the invariants are checked; at the end every
// step is undone and the design must be the one the session started from.
//
// Action k draws from its own random stream, made from the seed and k, so that a run replays
// action for action; only a computation that outlasts the progress delay (and what cancelling it
// changes) depends on the machine's speed.
class MonkeySession {
 public:
  MonkeySession(MonkeyOptions options, QString scratch_folder);
  ~MonkeySession();
  MonkeySession(const MonkeySession&) = delete;
  MonkeySession& operator=(const MonkeySession&) = delete;

  // True when every action and the final undo kept the invariants; a failure has been printed.
  bool Run();

 private:
  using Clock = std::chrono::steady_clock;

  AppState& State() { return window_->State(); }
  QWindow* Window() const;
  QPoint ViewportToWindow(QPoint point) const;

  void Start();
  void Stop();
  void Fail(const std::string& what);
  bool Failed() const { return !failure_.empty(); }
  std::string Describe(int action) const;

  // The actions; each says what it did.
  std::string RunAction(Rng& rng);
  std::string MenuCommand(Rng& rng);
  std::string StrayCommand(Rng& rng);
  std::string KeyPress(Rng& rng);
  std::string MenuByKeys(Rng& rng);
  std::string PopupKeys(Rng& rng);
  std::string Drag(Rng& rng);
  std::string PressOnly(Rng& rng);
  std::string MoveOnly(Rng& rng);
  std::string ReleaseOnly(Rng& rng);
  std::string DoubleClick(Rng& rng);
  std::string ScrollBar(Rng& rng);
  std::string Resize(Rng& rng);
  std::string UndoRedo(Rng& rng);
  std::string HistoryWalk();
  std::string CloseWindow();
  std::string PokeWindows(Rng& rng);
  std::string ChangeFiles(Rng& rng);
  std::string Wait(Rng& rng);
  std::string RecoveryCopy(Rng& rng);

  QPoint PressPoint(Rng& rng) const;
  QPoint NextPoint(Rng& rng, QPoint from) const;
  void Press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
  void Release(Qt::MouseButton button, QPoint at);
  void ReleaseHeldButtons();
  void CloseMenus();

  // The file chooser the window asks instead of a file dialog.
  QString ChooseFile(DesignFiles::FileQuestion question);
  QString BrokenDesignFile(Rng& rng);
  QString ScratchPath(const QString& name) const;

  // Answers modal windows from inside their event loops.
  void OnTick();
  void Answer(QWidget* modal);
  void AnswerProgress(QProgressDialog* progress);
  void AnswerMessage(QMessageBox* box, Rng& rng);
  void AnswerFileDialog(QFileDialog* files, Rng& rng);
  void AnswerDialog(QWidget* dialog, Rng& rng, bool forced);
  // Sometimes fills Sweep or Optimize Layout with small entries that hold and accepts; false when
  // it left the dialog alone.
  bool FillValidStudy(QWidget* dialog, Rng& rng);
  void FillEntries(QWidget* dialog, Rng& rng);
  void NoteWindow(const QString& name);

  // Invariants.
  void Settle();
  void CheckAfterAction(bool typed);
  void CheckFinal();

  MonkeyOptions options_;
  QString scratch_;
  std::unique_ptr<MainWindow> window_;
  QObject context_;
  QTimer tick_;
  bool answer_pending_ = false;
  QPointer<QProgressDialog> progress_;
  Clock::time_point progress_deadline_;
  QPointer<QWidget> popup_;
  Clock::time_point popup_since_;

  int action_ = 0;
  Rng handler_rng_;   // the current action's stream for answering windows
  Rng progress_rng_;  // apart, since whether a progress dialog shows depends on speed
  std::string failure_;
  std::deque<std::string> recent_actions_;

  Qt::MouseButtons held_ = Qt::NoButton;
  QPoint pointer_;
  QSize start_size_;

  // What the checks compare with.
  DesignRecord baseline_;  // the design when the undo stack was last empty
  int baseline_action_ = 0;
  DesignRecord settled_;   // the design after the last action with no button held
  long history_events_ = 0;
  long settled_events_ = 0;
  bool dialog_answered_ = false;
  std::vector<testing::DesignNumber> numbers_;
  ViewState view_;

  // Top-level windows in the order they first showed.
  std::vector<QPointer<QWidget>> known_windows_;

  // Files.
  int file_counter_ = 0;
  std::vector<QString> saved_files_;

  // What the session reached, for the summary.
  std::map<int, int> commands_run_;
  std::map<QString, int> windows_seen_;
  std::map<std::string, int> actions_run_;
  int designs_replaced_ = 0;
  int longest_history_ = 0;
  long long slowest_ms_ = 0;
  int slowest_action_ = 0;
};

}  // namespace orvendi::monkey
