#include "gui/dialogs/optimize_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

namespace orvendi {

namespace {

const char* const kObjectiveNames[] = {"Largest error",  "RMS error", "Monte-Carlo RMS error",
                                       "Monte-Carlo 95th percentile", "Largest precision bound",
                                       "RMS precision bound"};

QLineEdit* Entry(const std::string& text, const QString& name, QWidget* parent) {
  auto* entry = new QLineEdit(QString::fromStdString(text), parent);
  entry->setObjectName(name);
  return entry;
}

}  // namespace

OptimizeDialog::OptimizeDialog(const OptimizeEntries& entries, QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("OptimizeLayout"));
  setWindowTitle(QStringLiteral("Optimize Layout"));
  form_ = std::make_unique<EntryForm>(this, [this](std::string& error) {
    const std::optional<OptimizeOptions> read = ReadOptimizeEntries(Entries(), error);
    if (read) options_ = *read;
    return read.has_value();
  });
  auto* table = new QWidget;
  auto* grid = new QGridLayout(table);
  grid->addWidget(new QLabel(QStringLiteral("Vary")), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("From")), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("To")), 0, 2);
  const std::vector<OptimizeParameter>& parameters = OptimizeParameters();
  for (std::size_t i = 0; i < parameters.size() && i < entries.rows.size(); ++i) {
    const QString name = QString::number(i);
    auto* chosen = new QCheckBox(QString::fromStdString(parameters[i].name), table);
    chosen->setObjectName(QStringLiteral("Vary") + name);
    chosen->setChecked(entries.rows[i].chosen);
    const int line = static_cast<int>(i) + 1;
    rows_.push_back({chosen, Entry(entries.rows[i].from, QStringLiteral("From") + name, table),
                     Entry(entries.rows[i].to, QStringLiteral("To") + name, table)});
    grid->addWidget(chosen, line, 0);
    grid->addWidget(rows_.back().from, line, 1);
    grid->addWidget(rows_.back().to, line, 2);
  }
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(table);
  scroll->setMinimumHeight(260);
  form_->Form()->addRow(scroll);
  objective_ = new QComboBox(this);
  objective_->setObjectName(QStringLiteral("Objective"));
  for (const char* objective : kObjectiveNames) objective_->addItem(QString::fromUtf8(objective));
  objective_->setCurrentIndex(entries.objective);
  form_->Form()->addRow(QStringLiteral("&Objective:"), objective_);
  evaluations_ = form_->AddEntry(QStringLiteral("&Evaluations:"), QStringLiteral("Evaluations"),
                                 QString::fromStdString(entries.evaluations));
  runs_ = form_->AddEntry(QStringLiteral("Monte-Carlo &runs:"), QStringLiteral("Runs"),
                          QString::fromStdString(entries.runs));
  seed_ = form_->AddEntry(QStringLiteral("&Seed:"), QStringLiteral("Seed"), QString::fromStdString(entries.seed));
}

OptimizeEntries OptimizeDialog::Entries() const {
  OptimizeEntries entries;
  for (const Row& row : rows_)
    entries.rows.push_back({row.chosen->isChecked(), EntryText(row.from), EntryText(row.to)});
  entries.objective = objective_->currentIndex();
  entries.evaluations = EntryText(evaluations_);
  entries.runs = EntryText(runs_);
  entries.seed = EntryText(seed_);
  return entries;
}

}  // namespace orvendi
