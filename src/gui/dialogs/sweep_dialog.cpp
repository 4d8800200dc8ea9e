#include "gui/dialogs/sweep_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "core/design/number_text.h"
#include "core/dialogs/analysis_requests.h"
#include "core/dialogs/sweep_entries.h"
#include "gui/widgets/qt_text.h"

namespace orvendi {

namespace {

QString Shown(double value) { return QString::fromStdString(FormatNumber(value, ShowFormat::kGeneral)); }

QComboBox* ParameterList(QWidget* owner, const QString& object_name, bool with_none) {
  auto* list = new QComboBox(owner);
  list->setObjectName(object_name);
  if (with_none) list->addItem(QStringLiteral("None"));
  for (const SweepParameter& p : SweepParameters()) list->addItem(ToQString(p.name));
  return list;
}

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
    entries.log = log_->isChecked();
    entries.second_parameter = SecondParameter();
    entries.second_from = EntryText(second_from_);
    entries.second_to = EntryText(second_to_);
    entries.second_count = EntryText(second_count_);
    entries.map_result = map_->currentIndex();
    entries.runs = EntryText(runs_);
    entries.seed = EntryText(seed_);
    const std::optional<SweepOptions> read = ReadSweepEntries(entries, error);
    if (read) options_ = *read;
    return read.has_value();
  });
  QFormLayout* form = form_->Form();
  parameter_ = ParameterList(this, QStringLiteral("Parameter"), false);
  form->addRow(QStringLiteral("&Parameter:"), parameter_);
  from_ = form_->AddEntry(QStringLiteral("&From:"), QStringLiteral("From"), QString());
  to_ = form_->AddEntry(QStringLiteral("&To:"), QStringLiteral("To"), QString());
  count_ = form_->AddEntry(QStringLiteral("&Count:"), QStringLiteral("Count"), QStringLiteral("11"));
  log_ = new QCheckBox(QStringLiteral("&Logarithmic"), this);
  log_->setObjectName(QStringLiteral("Logarithmic"));
  form->addRow(QString(), log_);
  second_ = ParameterList(this, QStringLiteral("Parameter2"), true);
  form->addRow(QStringLiteral("Parameter &2:"), second_);
  second_from_ = form_->AddEntry(QStringLiteral("From 2:"), QStringLiteral("From2"), QString());
  second_to_ = form_->AddEntry(QStringLiteral("To 2:"), QStringLiteral("To2"), QString());
  second_count_ = form_->AddEntry(QStringLiteral("Count 2:"), QStringLiteral("Count2"), QStringLiteral("11"));
  map_ = new QComboBox(this);
  map_->setObjectName(QStringLiteral("Map"));
  for (const std::string& name : SweepMapResults()) map_->addItem(ToQString(name));
  form->addRow(QStringLiteral("&Map of:"), map_);
  runs_ = form_->AddEntry(QStringLiteral("&Runs per value:"), QStringLiteral("Runs"), QStringLiteral("1"));
  seed_ = form_->AddEntry(QStringLiteral("&Seed:"), QStringLiteral("Seed"),
                          QString::number(kDefaultMonteCarloSeed));
  connect(parameter_, &QComboBox::currentIndexChanged, this,
          [this](int index) { ProposeRange(index, from_, to_, count_); });
  connect(second_, &QComboBox::currentIndexChanged, this, [this] { ShowSecond(); });
  ProposeRange(0, from_, to_, count_);
  ShowSecond();
}

int SweepDialog::SecondParameter() const { return second_->currentIndex() - 1; }

std::string SweepDialog::ParameterName() const {
  const auto name = [](int index) -> std::string {
    if (index < 0 || static_cast<std::size_t>(index) >= SweepParameters().size()) return {};
    return SweepParameters()[static_cast<std::size_t>(index)].name;
  };
  const int second = SecondParameter();
  if (second < 0) return name(parameter_->currentIndex());
  return name(parameter_->currentIndex()) + " and " + name(second);
}

int SweepDialog::MapResult() const { return map_->currentIndex(); }

void SweepDialog::ShowSecond() {
  const int second = SecondParameter();
  for (QWidget* part : {static_cast<QWidget*>(second_from_), static_cast<QWidget*>(second_to_),
                        static_cast<QWidget*>(second_count_), static_cast<QWidget*>(map_)}) {
    part->setEnabled(second >= 0);
  }
  if (second >= 0) ProposeRange(second, second_from_, second_to_, second_count_);
}

void SweepDialog::ProposeRange(int parameter, QLineEdit* from, QLineEdit* to, QLineEdit* count) {
  if (parameter < 0 || static_cast<std::size_t>(parameter) >= SweepParameters().size()) return;
  const SweepRange range = ProposedSweepRange(design_, parameter);
  from->setText(Shown(range.from));
  to->setText(Shown(range.to));
  if (range.count) count->setText(QString::number(*range.count));
}

}  // namespace orvendi
