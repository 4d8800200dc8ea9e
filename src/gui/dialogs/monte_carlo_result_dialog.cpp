#include "gui/dialogs/monte_carlo_result_dialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/dialogs/analysis_requests.h"

namespace orvendi {

MonteCarloResultDialog::MonteCarloResultDialog(const MonteCarloSummary& summary, const DesignRecord& design,
                                               QWidget* owner)
    : QDialog(owner) {
  setObjectName(QStringLiteral("MonteCarloResult"));
  setWindowTitle(QStringLiteral("Monte Carlo Result"));
  text_ = new QPlainTextEdit(QString::fromStdString(MonteCarloSummaryText(summary, design)), this);
  text_->setObjectName(QStringLiteral("Figures"));
  text_->setReadOnly(true);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
  copy->setObjectName(QStringLiteral("CopyButton"));
  connect(copy, &QPushButton::clicked, this, [this] {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(Text());
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(buttons);
  resize(420, 280);
}

QString MonteCarloResultDialog::Text() const { return text_->toPlainText(); }

}  // namespace orvendi
