#pragma once

#include <QString>
#include <functional>
#include <string>

class QDialog;
class QFormLayout;
class QLabel;
class QLineEdit;

namespace orvendi {

// The parts the entry dialogs share: a form of labelled entries, a line for the one message of
// a refused OK, and OK / Cancel.
class EntryForm {
 public:
  // Lays the form out in `dialog`. `accept` reads the entries: it returns false with a message,
  // which is shown and keeps the dialog open, or true, which ends it with OK.
  EntryForm(QDialog* dialog, std::function<bool(std::string& error)> accept);

  QFormLayout* Form() const { return form_; }
  // An entry named `object_name` with `text`, under `label`.
  QLineEdit* AddEntry(const QString& label, const QString& object_name, const QString& text);
  // What the message line shows; empty when nothing was refused.
  QString Message() const;

 private:
  void OnOk();

  QDialog* dialog_;
  QFormLayout* form_;
  QLabel* message_;
  std::function<bool(std::string&)> accept_;
};

// An entry's text as the logic reads it.
std::string EntryText(const QLineEdit* entry);

}  // namespace orvendi
