#pragma once

#include <QDialog>

namespace orvendi {

// "AboutDialog": the program's title, its version and icon, and "OK" (id 1). Every way out
// ends it with 1. Opened through OpenDialog like every other dialog.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* owner);

  void reject() override;
};

}  // namespace orvendi
