#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace orvendi {

// "Monte Carlo Result": the report of a run (MonteCarloReportText) as text that can be selected
// and copied, with "Copy" for all of it.
class MonteCarloResultDialog : public QDialog {
  Q_OBJECT

 public:
  MonteCarloResultDialog(const std::string& report, QWidget* owner);

  QString Text() const;

 private:
  QPlainTextEdit* text_ = nullptr;
};

}  // namespace orvendi
