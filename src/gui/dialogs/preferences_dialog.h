#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLineEdit;

namespace orvendi {

// "Preferences": the program's own settings, kept apart from the design. The Threads entry
// (object name "Threads") sets how many threads the computations use. OK with an entry that does
// not read shows one message and keeps the dialog open with the entry as typed; Threads() is the
// accepted count, 0 for every core.
class PreferencesDialog : public QDialog {
 public:
  PreferencesDialog(int threads, QWidget* owner);

  int Threads() const { return threads_; }

  // Replaces the message about a bad entry, e.g. to count it.
  using ProblemNotice = std::function<void(QWidget* owner, const QString& message)>;
  void SetProblemNotice(ProblemNotice notice) { notice_ = std::move(notice); }

 private:
  void OnOk();

  QLineEdit* threads_entry_ = nullptr;
  int threads_ = 0;
  ProblemNotice notice_;
};

}  // namespace orvendi
