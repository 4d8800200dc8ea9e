#pragma once

#include <QDialog>
#include <memory>

#include "core/analysis/monte_carlo.h"
#include "gui/widgets/qt_entry_form.h"

class QLineEdit;

namespace orvendi {

// "Monte Carlo": how many runs, and the seed of their noise. OK with entries the logic refuses
// shows why and stays open; after OK, Options() holds what to run.
class MonteCarloDialog : public QDialog {
  Q_OBJECT

 public:
  MonteCarloDialog(const MonteCarloOptions& previous, QWidget* owner);

  const MonteCarloOptions& Options() const { return options_; }
  QString Message() const { return form_->Message(); }

 private:
  std::unique_ptr<EntryForm> form_;
  QLineEdit* runs_ = nullptr;
  QLineEdit* seed_ = nullptr;
  MonteCarloOptions options_;
};

}  // namespace orvendi
