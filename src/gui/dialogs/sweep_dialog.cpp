#include "gui/dialogs/sweep_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <cmath>

#include "core/design/design_file.h"
#include "core/design/number_text.h"
#include "core/dialogs/analysis_requests.h"

namespace orvendi {

namespace {

QString Shown(double value) { return QString::fromStdString(FormatNumber(value, ShowFormat::kGeneral)); }

}  // namespace

SweepDialog::SweepDialog(const DesignRecord& design, QWidget* owner) : QDialog(owner), design_(design) {
  setObjectName(QStringLiteral("Sweep"));
  setWindowTitle(QStringLiteral("Sweep"));
  form_ = std::make_unique<EntryForm>(this, [this](std::string& error) {
    SweepEntries entries;
    entries.parameter = parameter_->currentIndex();
    entries.from = EntryText(from_);
    entries.to = EntryText(to_);
    entries.count = EntryText(count_);
    entries.runs = EntryText(runs_);
    entries.seed = EntryText(seed_);
    const std::optional<SweepOptions> read = ReadSweepEntries(entries, error);
    if (read) options_ = *read;
    return read.has_value();
  });
  parameter_ = new QComboBox(this);
  parameter_->setObjectName(QStringLiteral("Parameter"));
  for (const SweepParameter& p : SweepParameters()) parameter_->addItem(QString::fromStdString(p.name));
  form_->Form()->addRow(QStringLiteral("&Parameter:"), parameter_);
  from_ = form_->AddEntry(QStringLiteral("&From:"), QStringLiteral("From"), QString());
  to_ = form_->AddEntry(QStringLiteral("&To:"), QStringLiteral("To"), QString());
  count_ = form_->AddEntry(QStringLiteral("&Count:"), QStringLiteral("Count"), QStringLiteral("11"));
  runs_ = form_->AddEntry(QStringLiteral("&Runs per value:"), QStringLiteral("Runs"), QStringLiteral("1"));
  seed_ = form_->AddEntry(QStringLiteral("&Seed:"), QStringLiteral("Seed"),
                          QString::number(kDefaultMonteCarloSeed));
  connect(parameter_, &QComboBox::currentIndexChanged, this, [this](int index) { ProposeRange(index); });
  ProposeRange(0);
}

std::string SweepDialog::ParameterName() const {
  const int index = parameter_->currentIndex();
  if (index < 0 || static_cast<std::size_t>(index) >= SweepParameters().size()) return {};
  return SweepParameters()[index].name;
}

void SweepDialog::ProposeRange(int parameter) {
  if (parameter < 0 || static_cast<std::size_t>(parameter) >= SweepParameters().size()) return;
  const std::optional<double> value = GetDesignNumber(design_, SweepParameters()[parameter].key);
  double from = 0.0;
  double to = 1.0;
  if (value && std::isfinite(*value) && *value != 0.0) {
    from = *value * 0.5;
    to = *value * 1.5;
  }
  from_->setText(Shown(std::fmin(from, to)));
  to_->setText(Shown(std::fmax(from, to)));
}

}  // namespace orvendi
