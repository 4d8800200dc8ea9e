#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "core/analysis/sweep.h"
#include "core/design/design_record.h"
#include "gui/widgets/qt_entry_form.h"

class QComboBox;
class QLineEdit;

namespace orvendi {

// "Sweep": one design value from a list, the range and number of values it takes, and the runs
// of each. Choosing a value proposes a range around what the design holds. OK with entries the
// logic refuses shows why and stays open; after OK, Options() holds the sweep to run.
class SweepDialog : public QDialog {
  Q_OBJECT

 public:
  SweepDialog(const DesignRecord& design, QWidget* owner);

  const SweepOptions& Options() const { return options_; }
  // The chosen value's name with its unit, as the list shows it.
  std::string ParameterName() const;
  QString Message() const { return form_->Message(); }

 private:
  void ProposeRange(int parameter);

  const DesignRecord& design_;
  std::unique_ptr<EntryForm> form_;
  QComboBox* parameter_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  QLineEdit* count_ = nullptr;
  QLineEdit* runs_ = nullptr;
  QLineEdit* seed_ = nullptr;
  SweepOptions options_;
};

}  // namespace orvendi
