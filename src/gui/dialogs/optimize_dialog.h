#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "core/analysis/optimize.h"
#include "core/dialogs/optimize_entries.h"
#include "gui/widgets/qt_entry_form.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace orvendi {

// "Optimize Layout": the values to vary with their ranges, the objective and the budget. OK
// with entries the logic refuses shows why and stays open; after OK, Options() holds the search.
class OptimizeDialog : public QDialog {
  Q_OBJECT

 public:
  OptimizeDialog(const OptimizeEntries& entries, QWidget* owner);

  const OptimizeOptions& Options() const { return options_; }
  QString Message() const { return form_->Message(); }

 private:
  OptimizeEntries Entries() const;

  std::unique_ptr<EntryForm> form_;
  struct Row {
    QCheckBox* chosen;
    QLineEdit* from;
    QLineEdit* to;
  };
  std::vector<Row> rows_;
  QComboBox* objective_ = nullptr;
  QLineEdit* evaluations_ = nullptr;
  QLineEdit* runs_ = nullptr;
  QLineEdit* seed_ = nullptr;
  OptimizeOptions options_;
};

}  // namespace orvendi
