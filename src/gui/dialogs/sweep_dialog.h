#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "core/analysis/sweep.h"
#include "core/design/design_record.h"
#include "gui/widgets/qt_entry_form.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace orvendi {

// "Sweep": one design value from a list, or two, the range and number of values each takes, and
// the runs of each design, the first's values evenly spaced or, with "Logarithmic", in even ratios; with two, the figure their map shows. Choosing a value proposes a range
// around what the design holds. OK with entries the logic refuses shows why and stays open; after
// OK, Options() holds the sweep to run.
class SweepDialog : public QDialog {
  Q_OBJECT

 public:
  SweepDialog(const DesignRecord& design, QWidget* owner);

  const SweepOptions& Options() const { return options_; }
  // The chosen values' names with their units, as the lists show them: "A", or "A and B".
  std::string ParameterName() const;
  // The row of the map's figure in SweepMapResults().
  int MapResult() const;
  QString Message() const { return form_->Message(); }

 private:
  void ProposeRange(int parameter, QLineEdit* from, QLineEdit* to, QLineEdit* count);
  void ShowSecond();
  int SecondParameter() const;

  const DesignRecord& design_;
  std::unique_ptr<EntryForm> form_;
  QComboBox* parameter_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  QLineEdit* count_ = nullptr;
  QCheckBox* log_ = nullptr;
  QComboBox* second_ = nullptr;
  QLineEdit* second_from_ = nullptr;
  QLineEdit* second_to_ = nullptr;
  QLineEdit* second_count_ = nullptr;
  QComboBox* map_ = nullptr;
  QLineEdit* runs_ = nullptr;
  QLineEdit* seed_ = nullptr;
  SweepOptions options_;
};

}  // namespace orvendi
