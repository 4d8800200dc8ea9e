#include "gui/dialogs/error_map_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/dialogs/error_map_settings.h"

namespace orvendi {

ErrorMapDialog::ErrorMapDialog(DesignRecord& design, bool monte_carlo_current, bool bound_current,
                               QWidget* owner)
    : QDialog(owner), design_(design) {
  setObjectName(QStringLiteral("ErrorMap"));
  setWindowTitle(QStringLiteral("Error Map"));
  form_ = std::make_unique<EntryForm>(this, [this](std::string& error) {
    const std::optional<double> factor = ReadMagnification(magnification_->currentText().toStdString(), error);
    if (!factor) return false;
    for (int q = 0; q < kQuantities; ++q) {
      if (quantity_[q]->isChecked()) design_.error_map_quantity = q;
    }
    design_.error_magnification = *factor;
    return true;
  });

  static constexpr const char* kQuantityNames[] = {"&Error of the last run", "&Trueness (Monte Carlo)",
                                                   "&Precision (Monte Carlo)", "Precision &bound",
                                                   "&Distortion of the last run"};
  static constexpr const char* kQuantityObjects[] = {"QuantityError", "QuantityTrueness", "QuantityPrecision",
                                                     "QuantityBound", "QuantityDistortion"};
  auto* group = new QButtonGroup(this);
  auto* quantities = new QVBoxLayout;
  for (int q = 0; q < kQuantities; ++q) {
    quantity_[q] = new QRadioButton(QString::fromUtf8(kQuantityNames[q]), this);
    quantity_[q]->setObjectName(QString::fromUtf8(kQuantityObjects[q]));
    quantity_[q]->setEnabled(ErrorQuantityAvailable(q, monte_carlo_current, bound_current));
    group->addButton(quantity_[q], q);
    quantities->addWidget(quantity_[q]);
  }
  const int shown = ErrorQuantityAvailable(design.error_map_quantity, monte_carlo_current, bound_current)
                        ? design.error_map_quantity
                        : kErrorMapError;
  quantity_[shown >= 0 && shown < kQuantities ? shown : 0]->setChecked(true);
  form_->Form()->addRow(QStringLiteral("Colour by:"), quantities);

  magnification_ = new QComboBox(this);
  magnification_->setObjectName(QStringLiteral("Magnification"));
  magnification_->setEditable(true);
  for (const double factor : kListedMagnifications) {
    magnification_->addItem(QString::fromStdString(ShowMagnification(factor)));
  }
  magnification_->setCurrentText(QString::fromStdString(ShowMagnification(design.error_magnification)));
  form_->Form()->addRow(QStringLiteral("Measured map &magnification:"), magnification_);
}

}  // namespace orvendi
