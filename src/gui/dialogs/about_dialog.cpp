#include "gui/dialogs/about_dialog.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvendi {

namespace {

QLabel* CentredLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
  setWindowTitle(QStringLiteral("About"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* layout = new QVBoxLayout(this);
  QLabel* title = CentredLabel(QStringLiteral("Orvendi"), this);
  title->setObjectName(QStringLiteral("Title"));
  QLabel* version = CentredLabel(QStringLiteral("V1.1"), this);
  version->setObjectName(QStringLiteral("Version"));
  QLabel* icon = CentredLabel(QString(), this);
  icon->setObjectName(QStringLiteral("Icon_1"));
  icon->setPixmap(QIcon(QStringLiteral(":/orvendi.svg")).pixmap(32, 32));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(1); });

  layout->addWidget(title);
  layout->addWidget(version);
  layout->addWidget(icon);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
}

void AboutDialog::reject() { done(1); }

}  // namespace orvendi
