#include "gui/widgets/qt_entry_form.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace orvendi {

EntryForm::EntryForm(QDialog* dialog, std::function<bool(std::string& error)> accept)
    : dialog_(dialog), accept_(std::move(accept)) {
  auto* layout = new QVBoxLayout(dialog);
  form_ = new QFormLayout;
  layout->addLayout(form_);
  message_ = new QLabel(dialog);
  message_->setObjectName(QStringLiteral("MessageLabel"));
  message_->setWordWrap(true);
  message_->setStyleSheet(QStringLiteral("color: #b00000"));
  message_->hide();
  layout->addWidget(message_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->setObjectName(QStringLiteral("Buttons"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [this] { OnOk(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
}

QLineEdit* EntryForm::AddEntry(const QString& label, const QString& object_name, const QString& text) {
  auto* entry = new QLineEdit(text, dialog_);
  entry->setObjectName(object_name);
  form_->addRow(label, entry);
  return entry;
}

QString EntryForm::Message() const { return message_->text(); }

void EntryForm::OnOk() {
  std::string error;
  if (accept_(error)) {
    message_->clear();
    message_->hide();
    dialog_->accept();
    return;
  }
  message_->setText(QString::fromStdString(error));
  message_->show();
}

std::string EntryText(const QLineEdit* entry) { return entry->text().toStdString(); }

}  // namespace orvendi
