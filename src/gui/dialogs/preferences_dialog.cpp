#include "gui/dialogs/preferences_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "core/dialogs/preferences.h"

namespace orvendi {

namespace {

void ShowProblem(QWidget* owner, const QString& message) {
  QMessageBox::warning(owner, QStringLiteral("Preferences"), message);
}

}  // namespace

PreferencesDialog::PreferencesDialog(int threads, QWidget* owner)
    : QDialog(owner), threads_(threads), notice_(ShowProblem) {
  setObjectName(QStringLiteral("Preferences"));
  setWindowTitle(QStringLiteral("Preferences"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* root = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  threads_entry_ = new QLineEdit(QString::fromStdString(ShowThreadsEntry(threads)), this);
  threads_entry_->setObjectName(QStringLiteral("Threads"));
  threads_entry_->setPlaceholderText(QStringLiteral("every core"));
  auto* label = new QLabel(QStringLiteral("&Threads:"), this);
  label->setBuddy(threads_entry_);
  form->addRow(label, threads_entry_);
  root->addLayout(form);
  root->addWidget(new QLabel(
      QStringLiteral("Empty or 0 computes on every core (%1 here).").arg(QThread::idealThreadCount()), this));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("2"));
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  root->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &PreferencesDialog::OnOk);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PreferencesDialog::OnOk() {
  const std::optional<int> threads = ReadThreadsEntry(threads_entry_->text().toStdString());
  if (!threads) {
    notice_(this, QString::fromUtf8(kThreadsProblem.data(), static_cast<qsizetype>(kThreadsProblem.size())));
    threads_entry_->setFocus();
    return;
  }
  threads_ = *threads;
  accept();
}

}  // namespace orvendi
