#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <clocale>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "core/design/design_record.h"
#include "gui/dialogs/dialogs.h"
#include "gui/dialogs/qt_dialogs.h"
#include "gui/widgets/qt_progress_host.h"
#include "core/position/scan_grid.h"
#include "support/fake_host.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

// Every dialog on a fresh design, opened over an owner window as the drawing area would.
class DialogsTest : public ::testing::Test {
 protected:
  DialogsTest() {
    ViewState view;
    NullHost null_host;
    ApplyViewDefaults(view, null_host);
    ApplyDesignDefaults(design);
    owner.resize(400, 300);
  }

  std::unique_ptr<QDialog> Create(std::string_view name) {
    std::unique_ptr<QDialog> dialog = CreateDialog(name, context, &owner);
    EXPECT_NE(dialog, nullptr) << name;
    return dialog;
  }

  DesignRecord design;
  ResultBuffer results;
  testing::FakeHost host;
  DialogContext context{design, results, host};
  QWidget owner;
};

template <typename T>
T* Control(QDialog* dialog, int id) {
  return dialog->findChild<T*>(QString::number(id));
}

QString EditText(QDialog* dialog, int id) {
  QLineEdit* edit = Control<QLineEdit>(dialog, id);
  return edit == nullptr ? QStringLiteral("<missing %1>").arg(id) : edit->text();
}

void Type(QDialog* dialog, int id, const QString& text) {
  QLineEdit* edit = Control<QLineEdit>(dialog, id);
  ASSERT_NE(edit, nullptr) << id;
  edit->selectAll();
  QTest::keyClicks(edit, text);
  ASSERT_EQ(edit->text(), text);
}

void Click(QDialog* dialog, int id) {
  QAbstractButton* button = Control<QAbstractButton>(dialog, id);
  ASSERT_NE(button, nullptr) << id;
  if (!button->isCheckable()) {
    QTest::mouseClick(button, Qt::LeftButton);
    return;
  }
  // On the indicator: a check or radio button answers only within its indicator and text.
  const int x = button->layoutDirection() == Qt::RightToLeft ? button->width() - 8 : 8;
  QTest::mouseClick(button, Qt::LeftButton, Qt::KeyboardModifiers(), QPoint(x, button->height() / 2));
}

std::set<QString> Labels(QDialog* dialog) {
  std::set<QString> texts;
  for (QLabel* label : dialog->findChildren<QLabel*>()) texts.insert(label->text());
  for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) texts.insert(button->text());
  return texts;
}

std::set<QString> Groups(QDialog* dialog) {
  std::set<QString> titles;
  for (QGroupBox* box : dialog->findChildren<QGroupBox*>()) titles.insert(box->title());
  return titles;
}

std::set<int> Ids(QDialog* dialog) {
  std::set<int> ids;
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    bool ok = false;
    const int id = widget->objectName().toInt(&ok);
    if (ok) ids.insert(id);
  }
  return ids;
}

std::set<int> Range(int first, int last, std::set<int> more = {}) {
  for (int id = first; id <= last; ++id) more.insert(id);
  return more;
}

struct Expected {
  std::string_view name;
  QString title;
  std::set<int> ids;
  std::set<QString> labels;
  std::set<QString> groups;
  std::map<int, QString> texts;
  std::map<int, bool> checks;
};

TEST_F(DialogsTest, EveryDialogOpensWithItsTitleControlsAndValues) {
  const std::vector<Expected> all{
      {"AlgorithmType",
       "Algorithm",
       {1, 2, 2072, 2073, 2074},
       {"1", "2", "OK", "Cancel"},
       {"Type"},
       {},
       {{2072, true}, {2073, false}}},
      {"Frequency", "Frequency", {1, 2, 2067}, {"Frequency (Hz):"}, {}, {{2067, "10000"}}, {}},
      {"GeneratorDesign",
       "Generator Design",
       {1, 2, 2049, 2050, 2051},
       {"Turns:", "Side:", "Peak Current:"},
       {"Generator Coils"},
       {{2050, "50"}, {2051, "0.02"}, {2049, "5"}},
       {}},
      {"SensorDesign",
       "Sensor Design",
       Range(2075, 2079, {1, 2, 2066}),
       {"Sensitivity (Volts per Tesla):", "&Fixed sensitivity", "&Induction coil", "Turns:",
        QString::fromUtf8("Area (m\u00b2):"), "Gain (V/V):"},
       {"Sensor Model", "Induction Coil"},
       {{2066, "10000.000"}, {2077, "100"}, {2078, "0.0001"}, {2079, "1"}},
       {{2075, true}, {2076, false}}},
      {"BedDesign", "Bed Design", {1, 2, 2010}, {"Ohms Per Metre:"}, {}, {{2010, "1"}}, {}},
      {"SignalNoise",
       "Signal Noise",
       {1, 2, 2026, 2027},
       {"Noise (volts peak):", "Offset (volts peak):"},
       {},
       {{2026, "0"}, {2027, "0"}},
       {}},
      {"SensorOrientation",
       "Sensor Orientation",
       {1, 2, 2064, 2065},
       {"Theta:", "Phi:"},
       {},
       {{2064, "0.000"}, {2065, "0.000"}},
       {}},
      {"DipoleType",
       "DipoleType",
       {1, 2, 2068, 2069},
       {"Ideal Dipole", "Real Dipole"},
       {"Dipole Type"},
       {},
       {{2068, false}, {2069, true}}},
      {"CalcBedParams",
       "Calculate Bed Parameters",
       Range(2080, 2082, {1, 2, 2028, 2029}),
       {"X:", "Y:", "&Outline loop", "&Eddy-current sheet", "Sheet resistance (ohms per square):"},
       {"Quantisation", "Bed Model"},
       {{2028, "25"}, {2029, "25"}, {2082, "2.9e-05"}},
       {{2080, true}, {2081, false}}},
      {"ViewOptions",
       "View Options",
       Range(2052, 2063, {1, 2}),
       {"X:", "Y:", "Z:", "Dots", "Grid", "Display Bed Field"},
       {"Generator Coils", "Generator 0", "Generator 1", "Generator 2", "Position Data"},
       {},
       {{2052, true}, {2053, false}, {2060, false}, {2061, false}, {2062, false}, {2063, true}}},
      {"ScanOptions",
       "Scan Options",
       Range(2011, 2025, {1, 2, 2039}),
       {"X:", "Y:", "Z:", "to", "step", "XY Plane", "YZ Plane", "ZX Plane",
        "Z=", "X=", "Y=", "Include Bed Currents"},
       {"Range", "Scan Plane"},
       {{2011, "-0.25"},
        {2012, "0.25"},
        {2013, "0.1"},
        {2017, "0.1"},
        {2018, "0.6"},
        {2025, "0.4"},
        {2023, "0"},
        {2024, "0"}},
       {{2020, true}, {2021, false}, {2022, false}, {2039, false}}},
      {"DisplayBedVoltages",
       "Open Loop Bed Voltages",
       Range(2040, 2048, {1, 100, 101, 102}),
       {"X:", "Y:", "Z:", "OK"},
       {"Generator 0", "Generator 1", "Generator 2"},
       {{2042, "0+i0.00787816"}, {2044, "0-i0.00128504"}},
       {}},
      {"DisplayBedCurrents",
       "Bed Currents",
       Range(2030, 2038, {1, 100, 101, 102}),
       {"X:", "Y:", "Z:", "OK"},
       {"Generator 0", "Generator 1", "Generator 2"},
       {{2032, "0+i0.00196954"}},
       {}},
      {"PositionAccuracy",
       "Position Accuracy",
       {1, 2070, 2071},
       {"Maximum error (m):", "RMS error (m):", "OK"},
       {},
       {{2070, "0.000000"}, {2071, "0.000000"}},
       {}},
  };
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  for (const Expected& e : all) {
    SCOPED_TRACE(std::string(e.name));
    std::unique_ptr<QDialog> dialog = Create(e.name);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), e.title);
    EXPECT_EQ(dialog->objectName().toStdString(), std::string(e.name));
    EXPECT_EQ(dialog->parentWidget(), &owner);
    EXPECT_EQ(Ids(dialog.get()), e.ids);
    const std::set<QString> labels = Labels(dialog.get());
    for (const QString& label : e.labels) EXPECT_EQ(labels.count(label), 1u) << label.toStdString();
    EXPECT_EQ(Groups(dialog.get()), e.groups);
    for (const auto& [id, text] : e.texts) EXPECT_EQ(EditText(dialog.get(), id), text) << id;
    for (const auto& [id, checked] : e.checks) {
      ASSERT_NE(Control<QAbstractButton>(dialog.get(), id), nullptr) << id;
      EXPECT_EQ(Control<QAbstractButton>(dialog.get(), id)->isChecked(), checked) << id;
    }
    // Result dialogs show their values in boxes that cannot be edited, and have no Cancel.
    const bool result = e.name.substr(0, 7) == "Display" || e.name == "PositionAccuracy";
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) EXPECT_EQ(edit->isEnabled(), !result);
    EXPECT_EQ(Control<QPushButton>(dialog.get(), 1)->text(), "OK");
    EXPECT_EQ(Control<QPushButton>(dialog.get(), 2) != nullptr, !result);
    // Centred on the screen while it initialises.
    EXPECT_EQ(dialog->pos(),
              QPoint((screen.width() - dialog->width()) >> 1, (screen.height() - dialog->height()) >> 1));
    dialog->show();
    EXPECT_EQ(dialog->pos(),
              QPoint((screen.width() - dialog->width()) >> 1, (screen.height() - dialog->height()) >> 1));
  }
}

TEST(CentreDialog, ADialogLargerThanTheScreenGetsANegativePosition) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QDialog dialog;
  dialog.resize(screen.width() + 101, screen.height() + 51);
  CentreDialog(&dialog);
  EXPECT_EQ(dialog.pos(), QPoint(-51, -26));
}

TEST_F(DialogsTest, ViewOptionsBoxesHaveTheirTextOnTheLeft) {
  std::unique_ptr<QDialog> dialog = Create("ViewOptions");
  for (int id = 2052; id <= 2060; ++id) {
    EXPECT_EQ(Control<QCheckBox>(dialog.get(), id)->layoutDirection(), Qt::RightToLeft) << id;
  }
  EXPECT_EQ(Control<QCheckBox>(dialog.get(), 2061)->layoutDirection(), Qt::LeftToRight);
}

TEST_F(DialogsTest, TypingAndOkStores) {
  design.bed_stale = 0;
  std::unique_ptr<QDialog> noise = Create("SignalNoise");
  noise->show();
  Type(noise.get(), 2026, "5");
  Type(noise.get(), 2027, "0.125 V");
  Click(noise.get(), 1);
  EXPECT_EQ(noise->result(), QDialog::Accepted);
  EXPECT_EQ(design.noise_peak_v, 0.05);
  EXPECT_EQ(design.offset_v, 0.125);
  EXPECT_EQ(EditText(Create("SignalNoise").get(), 2026), "5");
  EXPECT_EQ(design.bed_stale, 0);

  std::unique_ptr<QDialog> generator = Create("GeneratorDesign");
  generator->show();
  Type(generator.get(), 2050, "100");
  Type(generator.get(), 2051, "0.03");
  Click(generator.get(), 1);
  EXPECT_EQ(design.bed_stale, 1);
  for (const GeneratorRecord& g : design.generators) {
    EXPECT_EQ(g.turns, 100);
    EXPECT_DOUBLE_EQ(g.area_m2, 0.0009);
    for (const CoilRecord& coil : g.coils) EXPECT_EQ(coil.side_m, 0.03);
  }

  std::unique_ptr<QDialog> bed = Create("CalcBedParams");
  bed->show();
  Type(bed.get(), 2028, "30.9");
  Click(bed.get(), 1);
  EXPECT_EQ(design.bed_cells_x, 30);
  EXPECT_EQ(design.bed_cells_y, 25);
}

TEST_F(DialogsTest, RadioButtonsOfAPairClearEachOther) {
  std::unique_ptr<QDialog> dialog = Create("AlgorithmType");
  dialog->show();
  Click(dialog.get(), 2073);
  EXPECT_FALSE(Control<QRadioButton>(dialog.get(), 2072)->isChecked());
  EXPECT_EQ(design.algorithm_type, 1);  // not before OK
  Click(dialog.get(), 1);
  EXPECT_EQ(design.algorithm_type, 2);

  std::unique_ptr<QDialog> dipole = Create("DipoleType");
  dipole->show();
  Click(dipole.get(), 2068);
  EXPECT_FALSE(Control<QRadioButton>(dipole.get(), 2069)->isChecked());
  Click(dipole.get(), 1);
  EXPECT_EQ(design.dipole_type, 0);
  for (const GeneratorRecord& g : design.generators) EXPECT_EQ(g.real_dipole, 0);

  std::unique_ptr<QDialog> scan = Create("ScanOptions");
  scan->show();
  Click(scan.get(), 2022);
  EXPECT_FALSE(Control<QRadioButton>(scan.get(), 2020)->isChecked());
  EXPECT_FALSE(Control<QRadioButton>(scan.get(), 2021)->isChecked());
}

TEST_F(DialogsTest, CancelAndTheCloseBoxStoreNothing) {
  design.bed_stale = 0;
  DesignRecord before;
  std::memcpy(&before, &design, sizeof design);
  for (std::string_view name :
       {"AlgorithmType", "Frequency", "GeneratorDesign", "SensorDesign", "BedDesign", "SignalNoise",
        "SensorOrientation", "DipoleType", "CalcBedParams", "ViewOptions", "ScanOptions"}) {
    for (bool close_box : {false, true}) {
      SCOPED_TRACE(std::string(name) + (close_box ? " close" : " cancel"));
      std::unique_ptr<QDialog> dialog = Create(name);
      dialog->show();
      for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) edit->setText("0.75");
      for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (button->isCheckable()) button->click();
      }
      if (close_box) {
        dialog->close();
      } else {
        Click(dialog.get(), 2);
      }
      EXPECT_EQ(dialog->result(), QDialog::Rejected);
      EXPECT_EQ(std::memcmp(&before, &design, sizeof design), 0);
    }
  }
}

TEST_F(DialogsTest, OpenDialogRunsModallyAndReportsOkOrCancel) {
  auto answer = [](int button, const QString& text) {
    QTimer::singleShot(0, [button, text] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      if (!text.isEmpty()) Type(dialog, 2067, text);
      Click(dialog, button);
    });
  };
  answer(1, "2000");
  EXPECT_EQ(OpenDialog("Frequency", context, &owner), 1);
  EXPECT_EQ(design.frequency_hz, 2000.0);
  answer(2, "3000");
  EXPECT_EQ(OpenDialog("Frequency", context, &owner), 0);
  EXPECT_EQ(design.frequency_hz, 2000.0);
  EXPECT_EQ(OpenDialog("NoSuchDialog", context, &owner), -1);
  EXPECT_EQ(CreateDialog("NoSuchDialog", context, &owner), nullptr);
}

TEST_F(DialogsTest, ResultDialogsEndWithOneOnOkAndEscapeZeroOnClose) {
  std::unique_ptr<QDialog> voltages = Create("DisplayBedVoltages");
  voltages->show();
  QTest::keyClick(voltages.get(), Qt::Key_Escape);
  EXPECT_EQ(voltages->result(), QDialog::Accepted);
  std::unique_ptr<QDialog> currents = Create("DisplayBedCurrents");
  currents->show();
  currents->close();
  EXPECT_EQ(currents->result(), QDialog::Rejected);
  std::unique_ptr<QDialog> accuracy = Create("PositionAccuracy");
  accuracy->show();
  Click(accuracy.get(), 1);
  EXPECT_EQ(accuracy->result(), QDialog::Accepted);
  // The first bed dialog computed the model through the context's host; the second did not.
  EXPECT_EQ(host.Count("capture"), 1);
  EXPECT_EQ(design.bed_stale, 0);
}

// Answers the next message box: records what it showed and presses its only button.
struct MessageBoxWatcher {
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::Information;
  int buttons = 0;
  QWidget* parent = nullptr;
  int seen = 0;

  void Arm() {
    QTimer::singleShot(0, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      ++seen;
      text = box->text();
      title = box->windowTitle();
      icon = box->icon();
      buttons = static_cast<int>(box->buttons().size());
      parent = box->parentWidget();
      box->button(QMessageBox::Ok)->click();
    });
  }
};

TEST_F(DialogsTest, ARejectedScanSaysInvalidSettingsAndStaysOpen) {
  DesignRecord before;
  std::memcpy(&before, &design, sizeof design);
  std::unique_ptr<QDialog> dialog = Create("ScanOptions");
  dialog->show();
  Type(dialog.get(), 2011, "-0.5");
  Type(dialog.get(), 2012, "0.5");
  Type(dialog.get(), 2013, "0.0099");
  Click(dialog.get(), 2021);
  MessageBoxWatcher watcher;
  watcher.Arm();
  Click(dialog.get(), 1);
  EXPECT_EQ(watcher.seen, 1);
  EXPECT_EQ(watcher.text, "Invalid Settings");
  EXPECT_EQ(watcher.title, "Error");
  EXPECT_EQ(watcher.icon, QMessageBox::NoIcon);
  EXPECT_EQ(watcher.buttons, 1);
  EXPECT_EQ(watcher.parent, &owner);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(EditText(dialog.get(), 2013), "0.0099");
  EXPECT_TRUE(Control<QRadioButton>(dialog.get(), 2021)->isChecked());
  EXPECT_EQ(std::memcmp(&before, &design, sizeof design), 0);

  // Corrected, the same dialog stores.
  Type(dialog.get(), 2013, "0.01");
  Click(dialog.get(), 1);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(design.scan_x_step, 0.01);
  EXPECT_EQ(design.scan_plane, 1);
}

TEST_F(DialogsTest, ARejectedScanThenCancelKeepsEverything) {
  DesignRecord before;
  std::memcpy(&before, &design, sizeof design);
  auto* dialog = static_cast<ScanOptionsDialog*>(Create("ScanOptions").release());
  std::unique_ptr<QDialog> owned(dialog);
  int notices = 0;
  dialog->SetInvalidSettingsNotice([&](QWidget*) { ++notices; });
  dialog->show();
  Type(dialog, 2019, "0");
  Click(dialog, 2039);
  Click(dialog, 1);
  EXPECT_EQ(notices, 1);
  Click(dialog, 2);
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(std::memcmp(&before, &design, sizeof design), 0);
}

TEST_F(DialogsTest, AfterInvalidSettingsTheKeysGoBackToTheEntryThatHadThem) {
  std::unique_ptr<QDialog> dialog = Create("ScanOptions");
  dialog->show();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  QLineEdit* step = Control<QLineEdit>(dialog.get(), 2016);
  step->setFocus();
  ASSERT_TRUE(step->hasFocus());
  Type(dialog.get(), 2016, "0");  // a y step of 0 is refused
  MessageBoxWatcher watcher;
  watcher.Arm();
  Click(dialog.get(), 1);  // the click takes the focus to OK
  ASSERT_EQ(watcher.seen, 1);
  ASSERT_TRUE(dialog->isVisible());

  EXPECT_TRUE(QTest::qWaitFor([&] { return step->hasFocus(); }, 2000));
  // Typed into the window, without a click first, the keys reach the entry.
  QTest::keyClick(dialog->windowHandle(), Qt::Key_End);
  QTest::keyClick(dialog->windowHandle(), Qt::Key_1);
  EXPECT_EQ(EditText(dialog.get(), 2016), "01");
}

// Sets a German desktop for the length of a test.
class GermanDesktop {
 public:
  GermanDesktop() : previous_(std::setlocale(LC_ALL, nullptr)) {
    ok_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  }
  ~GermanDesktop() {
    std::setlocale(LC_ALL, previous_.c_str());
    QLocale::setDefault(QLocale::c());
  }
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

TEST_F(DialogsTest, AGermanDesktopStillShowsAndReadsPointFive) {
  GermanDesktop german;
  ASSERT_TRUE(german.ok()) << "de_DE.UTF-8 missing: run scripts/install-deps";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  ASSERT_EQ(QLocale().decimalPoint(), QString(","));

  design.frequency_hz = 0.5;
  for (GeneratorRecord& g : design.generators) g.side_m = 0.5, g.peak_current_a = 0.5;
  design.sensor_sensitivity_v_per_t = 0.5;
  design.bed_ohms_per_m = 0.5;
  design.noise_peak_v = 0.005;
  design.offset_v = 0.5;
  design.sensor_theta_rad = design.sensor_phi_rad = 0.5;
  design.scan_plane_z = 0.5;
  design.bed_stale = 0;
  design.bed_voltages[0] = {0.5, -0.25};
  design.bed_currents[0] = {0.5, 0.25};
  design.max_error_m = 0.5;
  const std::map<std::string_view, std::map<int, QString>> shown{
      {"Frequency", {{2067, "0.5"}}},
      {"GeneratorDesign", {{2051, "0.5"}, {2049, "0.5"}}},
      {"SensorDesign", {{2066, "0.500"}}},
      {"BedDesign", {{2010, "0.5"}}},
      {"SignalNoise", {{2026, "0.5"}, {2027, "0.5"}}},
      {"SensorOrientation", {{2064, "0.500"}, {2065, "0.500"}}},
      {"ScanOptions", {{2025, "0.5"}, {2011, "-0.25"}}},
      {"DisplayBedVoltages", {{2040, "0.5-i0.25"}}},
      {"DisplayBedCurrents", {{2030, "0.5+i0.25"}}},
      {"PositionAccuracy", {{2070, "0.500000"}}},
  };
  for (const auto& [name, texts] : shown) {
    std::unique_ptr<QDialog> dialog = Create(name);
    for (const auto& [id, text] : texts) EXPECT_EQ(EditText(dialog.get(), id), text) << name << " " << id;
  }

  // Every double entry takes "0.5" typed on the German desktop.
  ViewState view;
  NullHost null_host;
  ApplyViewDefaults(view, null_host);
  ApplyDesignDefaults(design);
  for (std::string_view name : {"Frequency", "GeneratorDesign", "SensorDesign", "BedDesign", "SignalNoise",
                                "SensorOrientation", "ScanOptions"}) {
    std::unique_ptr<QDialog> dialog = Create(name);
    dialog->show();
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
      if (edit->objectName() != "2050") edit->setText("0.5");
    }
    if (name == "ScanOptions") {
      Type(dialog.get(), 2011, "0");  // a range of 0 to 0.5 in steps of 0.5
    }
    Click(dialog.get(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << name;
  }
  EXPECT_EQ(design.frequency_hz, 0.5);
  EXPECT_EQ(design.generators[2].coils[1].side_m, 0.5);
  EXPECT_EQ(design.generators[2].area_m2, 0.25);
  EXPECT_EQ(design.generators[1].peak_current_a, 0.5);
  EXPECT_EQ(design.sensor_sensitivity_v_per_t, 0.5);
  EXPECT_EQ(design.bed_ohms_per_m, 0.5);
  EXPECT_EQ(design.noise_peak_v, 0.005);
  EXPECT_EQ(design.offset_v, 0.5);
  EXPECT_EQ(design.sensor_theta_rad, 0.5);
  EXPECT_EQ(design.sensor_phi_rad, 0.5);
  EXPECT_EQ(design.scan_x_from, 0.0);
  EXPECT_EQ(design.scan_x_to, 0.5);
  EXPECT_EQ(design.scan_z_step, 0.5);
  EXPECT_EQ(design.scan_plane_y, 0.5);
}

TEST_F(DialogsTest, BadInputOnEveryEntryNeverCrashesOrHangs) {
  const std::vector<QString> bad{"",     "text", "1e999",           "-1e999",      "nan",
                                 "inf",  "-inf", QString(300, '7'), "99999999999", QString(300, ' ') + "1",
                                 "0x1p3"};
  for (std::string_view name : {"Frequency", "GeneratorDesign", "SensorDesign", "BedDesign", "SignalNoise",
                                "SensorOrientation", "CalcBedParams", "ScanOptions"}) {
    std::unique_ptr<QDialog> probe = Create(name);
    for (QLineEdit* probe_edit : probe->findChildren<QLineEdit*>()) {
      const QString id = probe_edit->objectName();
      for (const QString& text : bad) {
        SCOPED_TRACE(std::string(name) + " " + id.toStdString() + " '" + text.left(12).toStdString() + "'");
        ViewState view;
        NullHost null_host;
        ApplyViewDefaults(view, null_host);
        ApplyDesignDefaults(design);
        std::unique_ptr<QDialog> dialog = Create(name);
        int notices = 0;
        if (auto* scan = dynamic_cast<ScanOptionsDialog*>(dialog.get())) {
          scan->SetInvalidSettingsNotice([&](QWidget*) { ++notices; });
        }
        if (auto* settings = dynamic_cast<SettingsDialogWidget*>(dialog.get())) {
          settings->SetRefusalNotice([&](QWidget*, const std::string&) { ++notices; });
        }
        dialog->show();
        dialog->findChild<QLineEdit*>(id)->setText(text);
        Click(dialog.get(), 1);
        // Each dialog either stores or says why not.
        EXPECT_TRUE(dialog->result() == QDialog::Accepted || notices == 1);
        EXPECT_EQ(dialog->isVisible(), notices == 1);
        // Whatever was stored can be shown again.
        std::unique_ptr<QDialog> again = Create(name);
        for (QLineEdit* edit : again->findChildren<QLineEdit*>()) EXPECT_FALSE(edit->text().isEmpty());
      }
    }
  }
  // A few outcomes through the real widgets: kept, read as strtod reads, kept when beyond 32 bits.
  auto ok_with = [&](std::string_view name, int id, const QString& text) {
    std::unique_ptr<QDialog> dialog = Create(name);
    dialog->findChild<QLineEdit*>(QString::number(id))->setText(text);
    Click(dialog.get(), 1);
  };
  ok_with("Frequency", 2067, "kHz");
  EXPECT_EQ(design.frequency_hz, 10000.0);
  ok_with("Frequency", 2067, "1e999");
  EXPECT_EQ(design.frequency_hz, std::numeric_limits<double>::infinity());
  EXPECT_EQ(EditText(Create("Frequency").get(), 2067), "inf");
  ok_with("CalcBedParams", 2029, "4294967297");
  EXPECT_EQ(design.bed_cells_y, 25);
  ok_with("CalcBedParams", 2029, QString(300, '7'));
  EXPECT_EQ(design.bed_cells_y, 25);
  ok_with("SignalNoise", 2026, "nan");
  EXPECT_TRUE(std::isnan(design.noise_peak_v));
  EXPECT_EQ(EditText(Create("SignalNoise").get(), 2026), "nan");
}

TEST_F(DialogsTest, ProgressHostOffersCancelAndHandsBackTheMouse) {
  ProgressHost progress(host, &owner, QStringLiteral("Computing bed model..."), 0);
  progress.CaptureMouse();
  progress.ShowWaitCursor();
  EXPECT_TRUE(progress.Report(0.25));
  ASSERT_NE(progress.ProgressDialog(), nullptr);
  EXPECT_EQ(progress.ProgressDialog()->labelText(), "Computing bed model...");
  EXPECT_TRUE(progress.ProgressDialog()->isVisible());
  EXPECT_EQ(progress.ProgressDialog()->value(), 250);
  EXPECT_EQ(host.Count("release"), 1);  // Cancel must be clickable
  progress.ProgressDialog()->cancel();
  EXPECT_FALSE(progress.Report(0.5));
  EXPECT_TRUE(progress.Cancelled());
  EXPECT_EQ(progress.ProgressDialog(), nullptr);
  EXPECT_FALSE(progress.Report(0.75));
  progress.RestoreCursor();
  progress.ReleaseMouse();
  EXPECT_EQ(host.Count("release"), 1);
  EXPECT_EQ(host.Count("restore"), 1);

  // Quick computations never see the dialog.
  ProgressHost quick(host, &owner, QStringLiteral("Computing bed model..."), 60'000);
  EXPECT_TRUE(quick.Report(0.5));
  EXPECT_EQ(quick.ProgressDialog(), nullptr);
}

TEST_F(DialogsTest, CancellingALongBedModelOpensWithThePreviousResults) {
  design.bed_cells_x = 10000;  // minutes of work unless cancelled
  design.bed_cells_y = 10000;
  design.bed_voltages[2] = {0, 0.5};
  design.bed_stale = 1;
  bool cancel_clicked = false;
  QTimer canceller;
  QObject::connect(&canceller, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* progress = qobject_cast<QProgressDialog*>(widget);
      if (progress != nullptr && progress->isVisible()) {
        EXPECT_EQ(progress->labelText(), "Computing bed model...");
        progress->cancel();
        cancel_clicked = true;
      }
    }
  });
  canceller.start(20);
  std::unique_ptr<QDialog> dialog = Create("DisplayBedVoltages");
  canceller.stop();
  EXPECT_TRUE(cancel_clicked);
  EXPECT_EQ(EditText(dialog.get(), 2042), "0+i0.5");
  EXPECT_EQ(design.bed_stale, 1);
  EXPECT_EQ(host.Count("capture"), 1);
  EXPECT_EQ(host.Count("release"), 1);
  EXPECT_EQ(host.Count("wait"), host.Count("restore"));
}

}  // namespace
}  // namespace orvendi
