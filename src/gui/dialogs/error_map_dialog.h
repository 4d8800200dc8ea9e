#pragma once

#include <QDialog>
#include <memory>

#include "core/design/design_record.h"
#include "gui/widgets/qt_entry_form.h"

class QComboBox;
class QRadioButton;

namespace orvendi {

// "Error Map": what the map colours (error or distortion; trueness and precision only with a
// Monte-Carlo result of the design as it is, the precision bound with that or a bound run of it)
// and how much the measured map magnifies each error (1, 10,
// 100, 1000 or a typed factor). OK stores both in the design; an entry the logic refuses shows
// why, keeps the dialog open and changes nothing.
class ErrorMapDialog : public QDialog {
  Q_OBJECT

 public:
  ErrorMapDialog(DesignRecord& design, bool monte_carlo_current, bool bound_current, QWidget* owner);

  QString Message() const { return form_->Message(); }

 private:
  DesignRecord& design_;
  std::unique_ptr<EntryForm> form_;
  static constexpr int kQuantities = kErrorMapDistortion + 1;
  QRadioButton* quantity_[kQuantities] = {};
  QComboBox* magnification_ = nullptr;
};

}  // namespace orvendi
