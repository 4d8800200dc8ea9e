#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/dialogs/dialog_logic.h"
#include "gui/dialogs/dialogs.h"

class QWidget;

namespace orvendi {

// Builds the dialog with the given resource name, filled from the design (the bed dialogs bring
// the bed results up to date first, the accuracy dialog computes the statistics), at least its
// template's size, centred on the screen, owned by `owner`, not yet shown: OpenDialog execs it.
// Null for an unknown name.
std::unique_ptr<QDialog> CreateDialog(std::string_view resource_name, DialogContext& context, QWidget* owner);

// Moves a window so that it is centred on the screen, keeping its size; a window larger than
// the screen gets a negative position.
void CentreDialog(QWidget* dialog);

// The message of a rejected scan: "Invalid Settings", caption "Error", one OK button, no icon.
void ShowInvalidSettings(QWidget* owner);

// A dialog whose controls carry their ids as object names ("2067"); the logic's fields are
// shown in and collected from them.
class RecordDialog : public QDialog {
 public:
  explicit RecordDialog(QWidget* owner);

  void ShowFields(const DialogFields& fields);
  DialogFields CollectFields() const;
};

// The message of an entry a settings dialog refuses, caption "Error", over the dialog.
void ShowRefusedEntry(QWidget* dialog, const std::string& message);

// A settings dialog: OK stores its entries, or says why it refuses them and stays open as typed.
class SettingsDialogWidget : public RecordDialog {
 public:
  SettingsDialogWidget(const SettingsDialog& entry, DesignRecord& design, QWidget* owner);

  void OnOk();
  // Replaces the message of a refused OK, e.g. to count it.
  void SetRefusalNotice(std::function<void(QWidget*, const std::string&)> notice) { notice_ = std::move(notice); }

 private:
  const SettingsDialog& entry_;
  DesignRecord& design_;
  std::function<void(QWidget*, const std::string&)> notice_ = ShowRefusedEntry;
};

// "ScanOptions": stays open after a rejected OK, entries as typed, the keys back in the entry
// that had them.
class ScanOptionsDialog : public RecordDialog {
 public:
  ScanOptionsDialog(DesignRecord& design, QWidget* owner);

  // Replaces the "Invalid Settings" message, e.g. to count it.
  void SetInvalidSettingsNotice(std::function<void(QWidget* owner)> notice) { notice_ = std::move(notice); }

 private:
  void OnOk();

  DesignRecord& design_;
  std::function<void(QWidget*)> notice_ = ShowInvalidSettings;
  QPointer<QWidget> last_entry_;
};

}  // namespace orvendi
