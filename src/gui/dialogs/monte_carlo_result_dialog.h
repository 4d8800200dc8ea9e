#pragma once

#include <QDialog>

#include "core/analysis/monte_carlo.h"
#include "core/design/design_record.h"

class QPlainTextEdit;

namespace orvendi {

// "Monte Carlo Result": the overall figures of a run as text that can be selected and copied,
// with "Copy" for all of it.
class MonteCarloResultDialog : public QDialog {
  Q_OBJECT

 public:
  MonteCarloResultDialog(const MonteCarloSummary& summary, const DesignRecord& design, QWidget* owner);

  QString Text() const;

 private:
  QPlainTextEdit* text_ = nullptr;
};

}  // namespace orvendi
