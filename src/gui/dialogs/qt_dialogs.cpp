#include "gui/dialogs/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <array>
#include <initializer_list>
#include <utility>

#include "core/analysis/targets.h"
#include "core/design/design_record.h"
#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/error_map_dialog.h"
#include "gui/widgets/qt_progress_host.h"
#include "gui/widgets/qt_text.h"
#include "core/dialogs/control_ids.h"
#include "core/dialogs/dialog_table.h"
#include "core/dialogs/result_dialogs.h"
#include "core/dialogs/scan_options.h"

namespace orvendi {

namespace {

QString IdName(int id) { return QString::number(id); }

bool IdOf(const QObject* object, int& id) {
  bool ok = false;
  id = object->objectName().toInt(&ok);
  return ok;
}

// Dialog templates are laid out in dialog units: a quarter of the average character width
// (that of the 52 letters) across, an eighth of the character height down.
QSize DialogUnitsToPixels(const QWidget* widget, int width, int height) {
  const QFontMetrics metrics = widget->fontMetrics();
  const int average_width =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
  return QSize(width * average_width / 4, height * metrics.height() / 8);
}

constexpr std::array<const char*, 3> kAxes{"X:", "Y:", "Z:"};

QLineEdit* MakeEdit(int id, QWidget* dialog, bool read_only = false) {
  auto* edit = new QLineEdit;
  edit->setObjectName(IdName(id));
  edit->setMinimumWidth(DialogUnitsToPixels(dialog, 40, 0).width());
  if (read_only) edit->setEnabled(false);
  return edit;
}

QRadioButton* MakeRadio(const char* text, int id) {
  auto* radio = new QRadioButton(QString::fromLatin1(text));
  radio->setObjectName(IdName(id));
  return radio;
}

// `text_left`: the label stands left of the box.
QCheckBox* MakeCheck(const char* text, int id, bool text_left = false) {
  auto* check = new QCheckBox(QString::fromLatin1(text));
  check->setObjectName(IdName(id));
  if (text_left) check->setLayoutDirection(Qt::RightToLeft);
  return check;
}

void AddRow(QFormLayout* form, const char* label, QWidget* field) {
  auto* text = new QLabel(QString::fromUtf8(label));
  text->setBuddy(field);
  form->addRow(text, field);
}

// OK and, for dialogs that edit, Cancel along the bottom.
QPushButton* AddButtons(QDialog* dialog, QVBoxLayout* root, bool with_cancel) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(IdName(control_ids::kOk));
  ok->setDefault(true);
  row->addWidget(ok);
  if (with_cancel) {
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(IdName(control_ids::kCancel));
    row->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  }
  root->addStretch(1);
  root->addLayout(row);
  return ok;
}

QFormLayout* AddForm(QVBoxLayout* root, const char* group = nullptr) {
  auto* form = new QFormLayout;
  if (group == nullptr) {
    root->addLayout(form);
  } else {
    auto* box = new QGroupBox(QString::fromLatin1(group));
    box->setLayout(form);
    root->addWidget(box);
  }
  return form;
}

void AddRadios(QVBoxLayout* root, const char* group, std::initializer_list<std::pair<const char*, int>> radios) {
  auto* box = new QGroupBox(QString::fromLatin1(group));
  auto* layout = new QHBoxLayout(box);
  for (const auto& [caption, id] : radios) layout->addWidget(MakeRadio(caption, id));
  root->addWidget(box);
}

// The body of each settings dialog, its controls in template order.
void BuildSettingsBody(std::string_view name, QDialog* dialog, QVBoxLayout* root) {
  namespace names = dialog_names;
  using namespace control_ids;
  if (name == names::kAlgorithmType) {
    AddRadios(root, "Type", {{"1", kAlgorithm1}, {"2", kAlgorithm2}, {"3", kAlgorithm3}});
  } else if (name == names::kFrequency) {
    AddRow(AddForm(root), "Frequency (Hz):", MakeEdit(kFrequency, dialog));
  } else if (name == names::kGeneratorDesign) {
    QFormLayout* form = AddForm(root, "Generator Coils");
    AddRow(form, "Turns:", MakeEdit(kTurns, dialog));
    AddRow(form, "Side:", MakeEdit(kSide, dialog));
    AddRow(form, "Peak Current:", MakeEdit(kPeakCurrent, dialog));
  } else if (name == names::kSensorDesign) {
    AddRow(AddForm(root), "Sensitivity (Volts per Tesla):", MakeEdit(kSensitivity, dialog));
    AddRadios(root, "Sensor Model", {{"&Fixed sensitivity", kFixedSensor}, {"&Induction coil", kInductionSensor}});
    QFormLayout* coil = AddForm(root, "Induction Coil");
    AddRow(coil, "Turns:", MakeEdit(kSensorTurns, dialog));
    AddRow(coil, "Area (m\u00b2):", MakeEdit(kSensorArea, dialog));
    AddRow(coil, "Gain (V/V):", MakeEdit(kSensorGain, dialog));
  } else if (name == names::kBedDesign) {
    AddRow(AddForm(root), "Ohms Per Metre:", MakeEdit(kBedOhmsPerMetre, dialog));
  } else if (name == names::kSignalNoise) {
    QFormLayout* form = AddForm(root);
    AddRow(form, "Noise (volts peak):", MakeEdit(kNoise, dialog));
    AddRow(form, "Offset (volts peak):", MakeEdit(kOffset, dialog));
  } else if (name == names::kTargets) {
    QFormLayout* form = AddForm(root, "Targets (0 = none)");
    AddRow(form, "Largest error (mm):", MakeEdit(kTargetMaxError, dialog));
    AddRow(form, "RMS error (mm):", MakeEdit(kTargetRmsError, dialog));
  } else if (name == names::kSensorOrientation) {
    QFormLayout* form = AddForm(root);
    AddRow(form, "Theta:", MakeEdit(kTheta, dialog));
    AddRow(form, "Phi:", MakeEdit(kPhi, dialog));
  } else if (name == names::kDipoleType) {
    AddRadios(root, "Dipole Type", {{"Ideal Dipole", kIdealDipole}, {"Real Dipole", kRealDipole}});
  } else if (name == names::kCalcBedParams) {
    QFormLayout* form = AddForm(root, "Quantisation");
    AddRow(form, "X:", MakeEdit(kBedCellsX, dialog));
    AddRow(form, "Y:", MakeEdit(kBedCellsY, dialog));
    AddRadios(root, "Bed Model", {{"&Outline loop", kOutlineLoopBed}, {"&Eddy-current sheet", kSheetBed}});
    AddRow(AddForm(root), "Sheet resistance (ohms per square):", MakeEdit(kSheetOhmsPerSquare, dialog));
  } else if (name == names::kViewOptions) {
    auto* coils = new QGroupBox(QStringLiteral("Generator Coils"));
    auto* generators = new QHBoxLayout(coils);
    for (int g = 0; g < kGeneratorCount; ++g) {
      auto* generator = new QGroupBox(QStringLiteral("Generator %1").arg(g));
      auto* boxes = new QHBoxLayout(generator);
      for (int a = 0; a < 3; ++a) boxes->addWidget(MakeCheck(kAxes[a], kFirstCoilDisplay + 3 * g + a, true));
      generators->addWidget(generator);
    }
    root->addWidget(coils);
    auto* row = new QHBoxLayout;
    auto* data = new QGroupBox(QStringLiteral("Position Data"));
    auto* styles = new QHBoxLayout(data);
    styles->addWidget(MakeRadio("Dots", kDots));
    styles->addWidget(MakeRadio("Grid", kGrid));
    row->addWidget(data);
    row->addWidget(MakeCheck("Display Bed Field", kDisplayBedField));
    root->addLayout(row);
  }
}

void BuildScanOptionsBody(QDialog* dialog, QVBoxLayout* root) {
  auto* range = new QGroupBox(QStringLiteral("Range"));
  auto* grid = new QGridLayout(range);
  for (int row = 0; row < 3; ++row) {
    const int first = control_ids::kXFrom + 3 * row;
    const std::array<const char*, 3> labels{kAxes[row], "to", "step"};
    for (int column = 0; column < 3; ++column) {
      QLineEdit* edit = MakeEdit(first + column, dialog);
      auto* label = new QLabel(QString::fromLatin1(labels[column]));
      label->setBuddy(edit);
      grid->addWidget(label, row, 2 * column);
      grid->addWidget(edit, row, 2 * column + 1);
    }
  }
  root->addWidget(range);

  auto* plane = new QGroupBox(QStringLiteral("Scan Plane"));
  auto* planes = new QGridLayout(plane);
  struct PlaneRow {
    const char* button;
    int button_id;
    const char* offset;
    int offset_id;
  };
  static constexpr std::array<PlaneRow, 3> kPlanes{
      {{"XY Plane", control_ids::kXyPlane, "Z=", control_ids::kPlaneZ},
       {"YZ Plane", control_ids::kYzPlane, "X=", control_ids::kPlaneX},
       {"ZX Plane", control_ids::kZxPlane, "Y=", control_ids::kPlaneY}}};
  for (int row = 0; row < 3; ++row) {
    QLineEdit* edit = MakeEdit(kPlanes[row].offset_id, dialog);
    auto* label = new QLabel(QString::fromLatin1(kPlanes[row].offset));
    label->setBuddy(edit);
    planes->addWidget(MakeRadio(kPlanes[row].button, kPlanes[row].button_id), row, 0);
    planes->addWidget(label, row, 1);
    planes->addWidget(edit, row, 2);
  }
  root->addWidget(plane);
  root->addWidget(MakeCheck("Include Bed Currents", control_ids::kIncludeBedCurrents));
}

// Three groups of three value boxes, coil-index order.
void BuildBedResultBody(QDialog* dialog, QVBoxLayout* root, int first_box) {
  for (int g = 0; g < kGeneratorCount; ++g) {
    auto* group = new QGroupBox(QStringLiteral("Generator %1").arg(g));
    group->setObjectName(IdName(control_ids::kFirstGeneratorGroup + g));
    auto* row = new QHBoxLayout(group);
    for (int a = 0; a < 3; ++a) {
      QLineEdit* edit = MakeEdit(first_box + 3 * g + a, dialog, true);
      auto* label = new QLabel(QString::fromLatin1(kAxes[a]));
      label->setBuddy(edit);
      row->addWidget(label);
      row->addWidget(edit, 1);
    }
    root->addWidget(group);
  }
}

void BuildAccuracyBody(QDialog* dialog, QVBoxLayout* root) {
  QFormLayout* form = AddForm(root);
  AddRow(form, "Maximum error (m):", MakeEdit(control_ids::kMaxError, dialog, true));
  AddRow(form, "RMS error (m):", MakeEdit(control_ids::kRmsError, dialog, true));
}

// At least the template's size, else as small as the layout allows; centred on the screen.
void Finish(QDialog* dialog, const DialogEntry& entry) {
  if (entry.width != 0 || entry.height != 0)
    dialog->setMinimumSize(DialogUnitsToPixels(dialog, entry.width, entry.height));
  dialog->adjustSize();
  CentreDialog(dialog);
}

// The result dialogs end with 1 on OK and on Escape, with 0 only from the close box.
class ResultDialog : public RecordDialog {
 public:
  using RecordDialog::RecordDialog;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      accept();
      return;
    }
    RecordDialog::keyPressEvent(event);
  }
};

std::unique_ptr<QDialog> CreateResultDialog(DialogKind kind, DialogContext& context, QWidget* owner) {
  DialogFields fields;
  QString title;
  int first_box = 0;
  if (kind == DialogKind::kBedVoltages || kind == DialogKind::kBedCurrents) {
    const bool voltages = kind == DialogKind::kBedVoltages;
    ProgressHost progress(context.host, owner, QStringLiteral("Computing bed model..."));
    fields = voltages ? OpenBedVoltages(context.design, progress, progress)
                      : OpenBedCurrents(context.design, progress, progress);
    title = voltages ? QStringLiteral("Open Loop Bed Voltages") : QStringLiteral("Bed Currents");
    first_box = voltages ? control_ids::kFirstBedVoltage : control_ids::kFirstBedCurrent;
  } else {
    fields = OpenPositionAccuracy(context.design, context.results);
    title = QStringLiteral("Position Accuracy");
  }

  auto dialog = std::make_unique<ResultDialog>(owner);
  dialog->setWindowTitle(title);
  auto* root = new QVBoxLayout(dialog.get());
  if (first_box != 0) {
    BuildBedResultBody(dialog.get(), root, first_box);
  } else {
    BuildAccuracyBody(dialog.get(), root);
    const std::string verdict =
        TargetsVerdict(context.design, context.design.max_error_m, context.design.rms_error_m);
    if (!verdict.empty()) {
      auto* label = new QLabel(QString::fromStdString(verdict), dialog.get());
      label->setObjectName(QStringLiteral("TargetsVerdict"));
      root->addWidget(label);
    }
  }
  QPushButton* ok = AddButtons(dialog.get(), root, false);
  QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);
  dialog->ShowFields(fields);
  return dialog;
}

}  // namespace

void CentreDialog(QWidget* dialog) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const QSize size = dialog->size();
  dialog->move((area.width() - size.width()) >> 1, (area.height() - size.height()) >> 1);
}

void ShowRefusedEntry(QWidget* dialog, const std::string& message) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), QString::fromStdString(message), QMessageBox::Ok,
                  dialog);
  box.exec();
}

SettingsDialogWidget::SettingsDialogWidget(const SettingsDialog& entry, DesignRecord& design, QWidget* owner)
    : RecordDialog(owner), entry_(entry), design_(design) {}

void SettingsDialogWidget::OnOk() {
  std::string error;
  if (StoreSettingsDialog(entry_, CollectFields(), design_, &error)) {
    accept();
    return;
  }
  notice_(this, error);
}

void ShowInvalidSettings(QWidget* owner) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), QStringLiteral("Invalid Settings"),
                  QMessageBox::Ok, owner);
  box.exec();
}

RecordDialog::RecordDialog(QWidget* owner) : QDialog(owner) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

void RecordDialog::ShowFields(const DialogFields& fields) {
  for (QLineEdit* edit : findChildren<QLineEdit*>()) {
    int id = 0;
    if (IdOf(edit, id) && fields.texts.count(id) != 0)
      edit->setText(QString::fromStdString(fields.texts.at(id)));
  }
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
    int id = 0;
    if (!button->isCheckable() || !IdOf(button, id) || fields.checks.count(id) == 0) continue;
    // An exclusive radio button refuses to be cleared directly.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(fields.checks.at(id));
    button->setAutoExclusive(exclusive);
  }
}

DialogFields RecordDialog::CollectFields() const {
  DialogFields fields;
  for (const QLineEdit* edit : findChildren<QLineEdit*>()) {
    int id = 0;
    if (IdOf(edit, id)) {
      fields.texts[id] = edit->text().toStdString();
    }
  }
  for (const QAbstractButton* button : findChildren<QAbstractButton*>()) {
    int id = 0;
    if (button->isCheckable() && IdOf(button, id)) fields.checks[id] = button->isChecked();
  }
  return fields;
}

ScanOptionsDialog::ScanOptionsDialog(DesignRecord& design, QWidget* owner)
    : RecordDialog(owner), design_(design) {
  setWindowTitle(ToQString(kScanOptionsTitle));
  auto* root = new QVBoxLayout(this);
  BuildScanOptionsBody(this, root);
  QPushButton* ok = AddButtons(this, root, true);
  connect(ok, &QPushButton::clicked, this, &ScanOptionsDialog::OnOk);
  ShowFields(FillScanOptions(design_));
  // Remembers the entry being typed in: the keys go back there after a rejected OK.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (qobject_cast<QLineEdit*>(now) != nullptr && isAncestorOf(now)) last_entry_ = now;
  });
}

void ScanOptionsDialog::OnOk() {
  if (StoreScanOptions(CollectFields(), design_)) {
    accept();
    return;
  }
  // The message belongs to the dialog's owner (the drawing area); the dialog stays as typed.
  notice_(parentWidget());
  activateWindow();
  if (last_entry_) {
    last_entry_->setFocus();
  } else {
    setFocus();
  }
}

namespace {

std::unique_ptr<QDialog> BuildDialog(const DialogEntry& table_entry, DialogContext& context, QWidget* owner) {
  switch (table_entry.kind) {
    case DialogKind::kSettings: {
      const SettingsDialog* entry = FindSettingsDialog(table_entry.name);
      if (entry == nullptr) return nullptr;
      auto dialog = std::make_unique<SettingsDialogWidget>(*entry, context.design, owner);
      dialog->setWindowTitle(ToQString(entry->title));
      auto* root = new QVBoxLayout(dialog.get());
      BuildSettingsBody(table_entry.name, dialog.get(), root);
      QPushButton* ok = AddButtons(dialog.get(), root, true);
      SettingsDialogWidget* widget = dialog.get();
      QObject::connect(ok, &QPushButton::clicked, widget, [widget] { widget->OnOk(); });
      dialog->ShowFields(FillSettingsDialog(*entry, context.design));
      return dialog;
    }
    case DialogKind::kScanOptions:
      return std::make_unique<ScanOptionsDialog>(context.design, owner);
    case DialogKind::kAbout:
      return std::make_unique<AboutDialog>(owner);
    case DialogKind::kErrorMap:
      return std::make_unique<ErrorMapDialog>(context.design, context.monte_carlo_current, context.bound_current,
                                              owner);
    case DialogKind::kBedVoltages:
    case DialogKind::kBedCurrents:
    case DialogKind::kPositionAccuracy:
      return CreateResultDialog(table_entry.kind, context, owner);
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<QDialog> CreateDialog(std::string_view resource_name, DialogContext& context,
                                      QWidget* owner) {
  const DialogEntry* entry = FindDialog(resource_name);
  if (entry == nullptr) return nullptr;
  std::unique_ptr<QDialog> dialog = BuildDialog(*entry, context, owner);
  if (!dialog) return dialog;
  // The resource name, so that the dialog can be found like its controls.
  dialog->setObjectName(ToQString(resource_name));
  Finish(dialog.get(), *entry);
  return dialog;
}

int OpenDialog(std::string_view resource_name, DialogContext& context, QWidget* owner) {
  std::unique_ptr<QDialog> dialog = CreateDialog(resource_name, context, owner);
  if (!dialog) return -1;
  return dialog->exec() == QDialog::Accepted ? 1 : 0;
}

}  // namespace orvendi
