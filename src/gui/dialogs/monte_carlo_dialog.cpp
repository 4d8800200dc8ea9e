#include "gui/dialogs/monte_carlo_dialog.h"

#include <QLineEdit>

#include "core/dialogs/analysis_requests.h"

namespace orvendi {

MonteCarloDialog::MonteCarloDialog(const MonteCarloOptions& previous, QWidget* owner)
    : QDialog(owner), options_(previous) {
  setObjectName(QStringLiteral("MonteCarlo"));
  setWindowTitle(QStringLiteral("Monte Carlo"));
  form_ = std::make_unique<EntryForm>(this, [this](std::string& error) {
    const std::optional<MonteCarloOptions> read =
        ReadMonteCarloEntries({EntryText(runs_), EntryText(seed_)}, error);
    if (read) options_ = *read;
    return read.has_value();
  });
  runs_ = form_->AddEntry(QStringLiteral("&Runs:"), QStringLiteral("Runs"), QString::number(previous.runs));
  seed_ = form_->AddEntry(QStringLiteral("&Seed:"), QStringLiteral("Seed"), QString::number(previous.seed));
  // Typing replaces the runs, and Return is OK rather than the button that had the focus.
  runs_->setFocus();
  runs_->selectAll();
}

}  // namespace orvendi
