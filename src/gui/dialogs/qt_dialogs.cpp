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

#include "core/design/design_record.h"
#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/error_map_dialog.h"
#include "gui/widgets/qt_progress_host.h"
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
  auto* text = new QLabel(QString::fromLatin1(label));
  text->setBuddy(field);
  form->addRow(text, field);
}

// OK (id 1) and, for dialogs that edit, Cancel (id 2) along the bottom.
QPushButton* AddButtons(QDialog* dialog, QVBoxLayout* root, bool with_cancel) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(IdName(1));
  ok->setDefault(true);
  row->addWidget(ok);
  if (with_cancel) {
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(IdName(2));
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
  if (name == "AlgorithmType") {
    AddRadios(root, "Type", {{"1", 2072}, {"2", 2073}, {"3", 2074}});
  } else if (name == "Frequency") {
    AddRow(AddForm(root), "Frequency (Hz):", MakeEdit(2067, dialog));
  } else if (name == "GeneratorDesign") {
    QFormLayout* form = AddForm(root, "Generator Coils");
    AddRow(form, "Turns:", MakeEdit(2050, dialog));
    AddRow(form, "Side:", MakeEdit(2051, dialog));
    AddRow(form, "Peak Current:", MakeEdit(2049, dialog));
  } else if (name == "SensorDesign") {
    AddRow(AddForm(root), "Sensitivity (Volts per Tesla):", MakeEdit(2066, dialog));
  } else if (name == "BedDesign") {
    AddRow(AddForm(root), "Ohms Per Metre:", MakeEdit(2010, dialog));
  } else if (name == "SignalNoise") {
    QFormLayout* form = AddForm(root);
    AddRow(form, "Noise (volts peak):", MakeEdit(2026, dialog));
    AddRow(form, "Offset (volts peak):", MakeEdit(2027, dialog));
  } else if (name == "SensorOrientation") {
    QFormLayout* form = AddForm(root);
    AddRow(form, "Theta:", MakeEdit(2064, dialog));
    AddRow(form, "Phi:", MakeEdit(2065, dialog));
  } else if (name == "DipoleType") {
    AddRadios(root, "Dipole Type", {{"Ideal Dipole", 2068}, {"Real Dipole", 2069}});
  } else if (name == "CalcBedParams") {
    QFormLayout* form = AddForm(root, "Quantisation");
    AddRow(form, "X:", MakeEdit(2028, dialog));
    AddRow(form, "Y:", MakeEdit(2029, dialog));
  } else if (name == "ViewOptions") {
    auto* coils = new QGroupBox(QStringLiteral("Generator Coils"));
    auto* generators = new QHBoxLayout(coils);
    for (int g = 0; g < kGeneratorCount; ++g) {
      auto* generator = new QGroupBox(QStringLiteral("Generator %1").arg(g));
      auto* boxes = new QHBoxLayout(generator);
      for (int a = 0; a < 3; ++a) boxes->addWidget(MakeCheck(kAxes[a], 2052 + 3 * g + a, true));
      generators->addWidget(generator);
    }
    root->addWidget(coils);
    auto* row = new QHBoxLayout;
    auto* data = new QGroupBox(QStringLiteral("Position Data"));
    auto* styles = new QHBoxLayout(data);
    styles->addWidget(MakeRadio("Dots", 2062));
    styles->addWidget(MakeRadio("Grid", 2063));
    row->addWidget(data);
    row->addWidget(MakeCheck("Display Bed Field", 2061));
    root->addLayout(row);
  }
}

void BuildScanOptionsBody(QDialog* dialog, QVBoxLayout* root) {
  auto* range = new QGroupBox(QStringLiteral("Range"));
  auto* grid = new QGridLayout(range);
  for (int row = 0; row < 3; ++row) {
    const int first = scan_ids::kXFrom + 3 * row;
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
      {{"XY Plane", scan_ids::kXyPlane, "Z=", scan_ids::kPlaneZ},
       {"YZ Plane", scan_ids::kYzPlane, "X=", scan_ids::kPlaneX},
       {"ZX Plane", scan_ids::kZxPlane, "Y=", scan_ids::kPlaneY}}};
  for (int row = 0; row < 3; ++row) {
    QLineEdit* edit = MakeEdit(kPlanes[row].offset_id, dialog);
    auto* label = new QLabel(QString::fromLatin1(kPlanes[row].offset));
    label->setBuddy(edit);
    planes->addWidget(MakeRadio(kPlanes[row].button, kPlanes[row].button_id), row, 0);
    planes->addWidget(label, row, 1);
    planes->addWidget(edit, row, 2);
  }
  root->addWidget(plane);
  root->addWidget(MakeCheck("Include Bed Currents", scan_ids::kIncludeBedCurrents));
}

// Three groups of three value boxes, coil-index order.
void BuildBedResultBody(QDialog* dialog, QVBoxLayout* root, int first_box) {
  for (int g = 0; g < kGeneratorCount; ++g) {
    auto* group = new QGroupBox(QStringLiteral("Generator %1").arg(g));
    group->setObjectName(IdName(100 + g));
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
  AddRow(form, "Maximum error (m):", MakeEdit(kMaxErrorBox, dialog, true));
  AddRow(form, "RMS error (m):", MakeEdit(kRmsErrorBox, dialog, true));
}

// Each template's size in dialog units.
struct TemplateSize {
  std::string_view name;
  int width;
  int height;
};

constexpr std::array<TemplateSize, 15> kTemplateSizes{{
    {"AlgorithmType", 124, 60},
    {"Frequency", 124, 52},
    {"GeneratorDesign", 102, 86},
    {"SensorDesign", 166, 52},
    {"BedDesign", 144, 57},
    {"SignalNoise", 156, 74},
    {"SensorOrientation", 136, 52},
    {"DipoleType", 124, 81},
    {"CalcBedParams", 133, 50},
    {"ViewOptions", 202, 100},
    {"ScanOptions", 194, 142},
    {"DisplayBedVoltages", 235, 115},
    {"DisplayBedCurrents", 235, 115},
    {"PositionAccuracy", 124, 70},
    {"AboutDialog", 194, 119},
}};

// At least the template's size, else as small as the layout allows; centred on the screen.
void Finish(QDialog* dialog, std::string_view name) {
  for (const TemplateSize& size : kTemplateSizes) {
    if (size.name == name) dialog->setMinimumSize(DialogUnitsToPixels(dialog, size.width, size.height));
  }
  dialog->adjustSize();
  CentreDialog(dialog);
}

class SettingsDialogWidget : public RecordDialog {
 public:
  SettingsDialogWidget(const SettingsDialog& entry, DesignRecord& design, QWidget* owner)
      : RecordDialog(owner), entry_(entry), design_(design) {}

  void OnOk() {
    StoreSettingsDialog(entry_, CollectFields(), design_);
    accept();
  }

 private:
  const SettingsDialog& entry_;
  DesignRecord& design_;
};

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

std::unique_ptr<QDialog> CreateResultDialog(std::string_view name, DialogContext& context, QWidget* owner) {
  DialogFields fields;
  QString title;
  int first_box = 0;
  if (name == "DisplayBedVoltages" || name == "DisplayBedCurrents") {
    const bool voltages = name == "DisplayBedVoltages";
    ProgressHost progress(context.host, owner, QStringLiteral("Computing bed model..."));
    fields = voltages ? OpenBedVoltages(context.design, progress) : OpenBedCurrents(context.design, progress);
    title = voltages ? QStringLiteral("Open Loop Bed Voltages") : QStringLiteral("Bed Currents");
    first_box = voltages ? kFirstBedVoltageBox : kFirstBedCurrentBox;
  } else if (name == "PositionAccuracy") {
    fields = OpenPositionAccuracy(context.design, context.results);
    title = QStringLiteral("Position Accuracy");
  } else {
    return nullptr;
  }

  auto dialog = std::make_unique<ResultDialog>(owner);
  dialog->setWindowTitle(title);
  auto* root = new QVBoxLayout(dialog.get());
  if (first_box != 0) {
    BuildBedResultBody(dialog.get(), root, first_box);
  } else {
    BuildAccuracyBody(dialog.get(), root);
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
  setWindowTitle(QString::fromUtf8(kScanOptionsTitle.data(), static_cast<qsizetype>(kScanOptionsTitle.size())));
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

std::unique_ptr<QDialog> BuildDialog(std::string_view resource_name, DialogContext& context, QWidget* owner) {
  if (const SettingsDialog* entry = FindSettingsDialog(resource_name)) {
    auto dialog = std::make_unique<SettingsDialogWidget>(*entry, context.design, owner);
    dialog->setWindowTitle(QString::fromUtf8(entry->title.data(), static_cast<int>(entry->title.size())));
    auto* root = new QVBoxLayout(dialog.get());
    BuildSettingsBody(resource_name, dialog.get(), root);
    QPushButton* ok = AddButtons(dialog.get(), root, true);
    SettingsDialogWidget* widget = dialog.get();
    QObject::connect(ok, &QPushButton::clicked, widget, [widget] { widget->OnOk(); });
    dialog->ShowFields(FillSettingsDialog(*entry, context.design));
    return dialog;
  }
  if (resource_name == "ScanOptions") return std::make_unique<ScanOptionsDialog>(context.design, owner);
  if (resource_name == "AboutDialog") return std::make_unique<AboutDialog>(owner);
  if (resource_name == "ErrorMap") {
    return std::make_unique<ErrorMapDialog>(context.design, context.monte_carlo_current, owner);
  }
  return CreateResultDialog(resource_name, context, owner);
}

}  // namespace

std::unique_ptr<QDialog> CreateDialog(std::string_view resource_name, DialogContext& context,
                                      QWidget* owner) {
  std::unique_ptr<QDialog> dialog = BuildDialog(resource_name, context, owner);
  if (!dialog) return dialog;
  // The resource name, so that the dialog can be found like its controls.
  dialog->setObjectName(QString::fromUtf8(resource_name.data(), static_cast<int>(resource_name.size())));
  Finish(dialog.get(), resource_name);
  return dialog;
}

int OpenDialog(std::string_view resource_name, DialogContext& context, QWidget* owner) {
  std::unique_ptr<QDialog> dialog = CreateDialog(resource_name, context, owner);
  if (!dialog) return -1;
  return dialog->exec() == QDialog::Accepted ? 1 : 0;
}

}  // namespace orvendi
